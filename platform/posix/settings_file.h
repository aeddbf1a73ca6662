// settings_file.h: whole-file reads and crash-safe replacement.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform::posix {

// Settings files beyond this size are not ours: not read, never rewritten.
inline constexpr std::size_t kMaxSettingsFileSize = 64U << 20;

// The contents of a regular file of at most kMaxSettingsFileSize bytes;
// nothing for a missing, unreadable, oversized or special file.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's contents atomically: a temporary file in the same
// folder is written, flushed and renamed over the old one, so the old
// contents stay whole until the new ones are complete. A read-only file,
// a folder that cannot be written or any write error gives false, leaves
// the old file as it was and removes the temporary file. `beforeRename` runs
// between the flush and the rename (tests use it to stop there).
bool ReplaceFileContents(const std::string& path, const std::string& contents,
                         const std::function<void()>& beforeRename = {});

}  // namespace platform::posix
