// x11_property.cpp: XGetWindowProperty and XFree behind one class.
#include "platform/x11/x11_property.h"

#include "platform/x11/x11_desktop.h"

namespace platform::x11 {

Property::Property(Window window, Atom property, Atom type, long length) {
    Atom actualType = None;
    unsigned long after = 0;
    if (XGetWindowProperty(TheDesktop().display, window, property, 0, length, False, type, &actualType, &format_,
                           &count_, &after, &data_) != Success)
        format_ = 0;
}

Property::~Property() {
    if (data_ != nullptr) XFree(data_);
}

std::span<const unsigned long> Property::Longs() const {
    if (data_ == nullptr || format_ != 32) return {};
    return {reinterpret_cast<const unsigned long*>(data_), count_};
}

std::span<const std::uint8_t> Property::Bytes() const {
    if (data_ == nullptr || format_ != 8) return {};
    return {data_, count_};
}

}  // namespace platform::x11
