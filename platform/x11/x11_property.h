// x11_property.h: reading a window property, in one place: the one request
// for it, and the freeing of what Xlib hands out.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <span>

namespace platform::x11 {

// One window property as the server sent it; empty when the window lacks
// it, holds another type or format, or is gone.
class Property {
public:
    // At most `length` 32-bit units of `window`'s `property`, if it is of `type`.
    Property(Window window, Atom property, Atom type, long length);
    ~Property();
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    // A format-32 property's items, as the longs Xlib hands out.
    std::span<const unsigned long> Longs() const;
    // A format-8 property's bytes.
    std::span<const std::uint8_t> Bytes() const;

private:
    unsigned char* data_ = nullptr;
    int format_ = 0;
    unsigned long count_ = 0;
};

}  // namespace platform::x11
