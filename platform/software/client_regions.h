// client_regions.h: the one store behind the region handles of backends
// that keep regions in client memory. SetWindowRgn takes a region out of it.
#pragma once

#include "platform/software/region_store.h"

namespace platform {

RegionStore& ClientRegions();

}  // namespace platform
