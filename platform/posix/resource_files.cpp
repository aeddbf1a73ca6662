// resource_files.cpp: the program's resources on Linux, built into the
// program file as byte arrays (zw_embed_file).
#include "platform/contract/resources.h"

#include <cstddef>

extern const unsigned char FigureBitmapFile[];
extern const std::size_t FigureBitmapFile_size;
extern const unsigned char FigureIconFile[];
extern const std::size_t FigureIconFile_size;

namespace platform {

std::span<const std::uint8_t> ResourceFile(Resource resource) {
    switch (resource) {
        case Resource::FigureBitmap:
            return {FigureBitmapFile, FigureBitmapFile_size};
        case Resource::FigureIcon:
            return {FigureIconFile, FigureIconFile_size};
    }
    return {};
}

}  // namespace platform
