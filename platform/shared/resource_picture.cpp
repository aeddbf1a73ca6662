// resource_picture.cpp: picture resources, decoded the same way on every
// backend.
#include "platform/contract/resources.h"
#include "platform/shared/bitmap_file.h"

namespace platform {

Image LoadResPicture(Resource resource) {
    Image picture;
    DecodeBitmapFile(ResourceFile(resource), picture);
    return picture;
}

}  // namespace platform
