// folder_query.h: the one pattern behind the Windows, system and temporary
// folder queries, and a folder's text that ends in one separator.
#pragma once

#include <string>

#include "platform/contract/paths.h"
#include "platform/contract/win_api.h"

// Makes `path` end in the separator, in place.
inline void EndInSeparator(std::string& path) {
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
}

inline constexpr platform::UINT kPathBufferSize = 260;

// Gives `query` a buffer of 260 NULs and keeps as many characters as it
// answers, then makes the text end in the separator. A folder that does not
// fit the buffer is treated like a query that answered nothing: the
// separator alone.
template <typename Query>
std::string FolderFromQuery(Query query) {
    std::string buffer(kPathBufferSize, '\0');
    const platform::UINT length = query(buffer.data(), kPathBufferSize);
    std::string folder = length < kPathBufferSize ? buffer.substr(0, length) : std::string();
    EndInSeparator(folder);
    return folder;
}
