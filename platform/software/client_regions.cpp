// client_regions.cpp: the gdi32 region calls over client-side regions, for
// every backend: a window's shape follows the density it draws at, which a
// native region made by the program could not.
#include "platform/software/client_regions.h"

namespace platform {

RegionStore& ClientRegions() {
    static RegionStore store;
    return store;
}

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return ClientRegions().Create({left, top, right, bottom});
}

std::int32_t CombineRgn(HRGN destination, HRGN source1, HRGN source2, std::int32_t mode) {
    constexpr std::int32_t kError = 0, kComplexRegion = 3;
    return ClientRegions().Combine(destination, source1, source2, mode) ? kComplexRegion : kError;
}

BOOL DeleteObject(HRGN object) { return ClientRegions().Delete(object) ? 1 : 0; }

}  // namespace platform
