// region_store.cpp: rectangle-list regions behind handles.
#include "platform/software/region_store.h"

#include <utility>

namespace platform {

HRGN RegionStore::Create(const RECT& rect) {
    const HRGN handle{next_++};
    Rectangles& rectangles = regions_[handle];
    if (rect.left < rect.right && rect.top < rect.bottom) rectangles.push_back(rect);
    return handle;
}

bool RegionStore::Combine(HRGN destination, HRGN source1, HRGN source2, std::int32_t mode) {
    if (mode != RGN_OR) return false;
    const auto first = regions_.find(source1);
    const auto second = regions_.find(source2);
    const auto target = regions_.find(destination);
    if (first == regions_.end() || second == regions_.end() || target == regions_.end()) return false;
    if (destination == source1 && source2 != destination) {
        // The usual case, growing a region span by span: append in place.
        target->second.insert(target->second.end(), second->second.begin(), second->second.end());
        return true;
    }
    Rectangles combined = first->second;
    combined.insert(combined.end(), second->second.begin(), second->second.end());
    target->second = std::move(combined);
    return true;
}

bool RegionStore::Delete(HRGN region) { return regions_.erase(region) == 1; }

const Rectangles* RegionStore::Find(HRGN region) const {
    const auto found = regions_.find(region);
    return found == regions_.end() ? nullptr : &found->second;
}

bool RegionStore::Take(HRGN region, Rectangles& rectangles) {
    const auto found = regions_.find(region);
    if (found == regions_.end()) return false;
    rectangles.swap(found->second);
    regions_.erase(found);
    return true;
}

}  // namespace platform
