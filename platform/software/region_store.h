// region_store.h: region handles kept in client memory.
//
// Every backend keeps each region as a list of rectangles behind an opaque
// handle, with the create/combine/delete semantics of the Windows region
// calls. A window takes its region in the program's pixels and makes its
// native shape of it only then, at the density it draws at.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/contract/win_api.h"

namespace platform {

using Rectangles = std::vector<RECT>;

class RegionStore {
public:
    HRGN Create(const RECT& rect);
    // destination = source1 OR source2; returns false for an unknown handle or mode.
    bool Combine(HRGN destination, HRGN source1, HRGN source2, std::int32_t mode);
    bool Delete(HRGN region);
    // The region's rectangles, or null for an unknown handle.
    const Rectangles* Find(HRGN region) const;
    // Takes a region out of the store, as when a window takes it over.
    bool Take(HRGN region, Rectangles& rectangles);
    std::size_t LiveCount() const { return regions_.size(); }

private:
    std::map<HRGN, Rectangles> regions_;
    std::uintptr_t next_ = 1;
};

}  // namespace platform
