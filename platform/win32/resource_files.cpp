// resource_files.cpp: the program's resources on Windows, compiled into the
// program file with windres (zwinkerle.rc).
//
// The picture is a BITMAP resource and the icon an ICON resource, as the
// shell and resource tools expect them. Windows keeps both without their
// file headers; those are put back once, so that the program gets the same
// files as on Linux.
#include <vector>

#include "platform/shared/little_endian.h"
#include "platform/contract/resources.h"
#include "platform/win32/win32_system.h"

namespace platform {

namespace {

using Bytes = std::span<const std::uint8_t>;

// RT_BITMAP, RT_ICON and RT_GROUP_ICON, wide whether UNICODE is defined or not.
const LPCWSTR kBitmapType = MAKEINTRESOURCEW(2);
const LPCWSTR kIconType = MAKEINTRESOURCEW(3);
const LPCWSTR kIconGroupType = MAKEINTRESOURCEW(14);

Bytes Find(LPCWSTR name, LPCWSTR type) {
    HRSRC found = ::FindResourceW(nullptr, name, type);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(nullptr, found)};
}

// A bitmap file is its 14-byte file header and then what the resource holds:
// the bitmap header, the colour table and the pixels.
std::vector<std::uint8_t> BitmapFileOf(Bytes dib) {
    if (dib.size() < 40) return {};
    const std::uint32_t headerSize = ReadU32(dib, 0);
    const std::uint16_t bits = ReadU16(dib, 14);
    const std::uint32_t used = ReadU32(dib, 32);
    const std::uint32_t colours = used != 0 ? used : (bits <= 8 ? (1U << bits) : 0U);
    std::vector<std::uint8_t> file{'B', 'M'};
    AppendU32(file, static_cast<std::uint32_t>(14 + dib.size()));
    AppendU32(file, 0);
    AppendU32(file, 14 + headerSize + colours * 4);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// An .ico file is the icon group's directory with image offsets in place of
// resource numbers, then the images.
std::vector<std::uint8_t> IconFileOf(Bytes group) {
    constexpr std::size_t kGroupEntry = 14, kFileEntry = 16;
    if (group.size() < 6) return {};
    const std::uint16_t count = ReadU16(group, 4);
    if (group.size() < 6 + count * kGroupEntry) return {};
    std::vector<std::uint8_t> file(group.begin(), group.begin() + 6);
    std::vector<std::uint8_t> images;
    for (std::uint16_t i = 0; i < count; ++i) {
        const Bytes entry = group.subspan(6 + i * kGroupEntry, kGroupEntry);
        const Bytes image = Find(MAKEINTRESOURCEW(ReadU16(entry, 12)), kIconType);
        file.insert(file.end(), entry.begin(), entry.begin() + 8);  // size, colours, planes, bits
        AppendU32(file, static_cast<std::uint32_t>(image.size()));
        AppendU32(file, static_cast<std::uint32_t>(6 + count * kFileEntry + images.size()));
        images.insert(images.end(), image.begin(), image.end());
    }
    file.insert(file.end(), images.begin(), images.end());
    return file;
}

}  // namespace

std::span<const std::uint8_t> ResourceFile(Resource resource) {
    switch (resource) {
        case Resource::FigureBitmap: {
            static const std::vector<std::uint8_t> file = BitmapFileOf(Find(L"FIGURE", kBitmapType));
            return file;
        }
        case Resource::FigureIcon: {
            static const std::vector<std::uint8_t> file = IconFileOf(Find(L"ZWINKERLE", kIconGroupType));
            return file;
        }
    }
    return {};
}

}  // namespace platform
