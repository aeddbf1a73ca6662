// x11_form.cpp: the X11 window behind a form.
//
// Implements: the window (its visual, creation and release), painting from
// client memory with XPutImage, and the bounding and input shapes. Where
// it stands is in x11_form_place; what it tells the window manager, its
// stacking, its first map and the caption drag in x11_window_hints,
// x11_stacking, x11_map_retry and x11_drag.
#include "platform/x11/x11_form.h"

#include <X11/extensions/shape.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_window_hints.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

// X carries window positions and shape rectangles as 16-bit numbers.
constexpr int kProtocolMax = std::numeric_limits<std::int16_t>::max();


// NOTE: where a compositing manager runs (always so under Xwayland, whose
// compositors need not apply the X shape), the window takes a visual with
// alpha and shows nothing but the face; the shape stays for servers where
// nobody composites, which show such a window opaque.
WindowVisual ChooseVisual() {
    Desktop& d = TheDesktop();
    XVisualInfo info{};
    if (CompositorRuns() && XMatchVisualInfo(d.display, d.screen, 32, TrueColor, &info) != 0) {
        const unsigned long colour = info.visual->red_mask | info.visual->green_mask | info.visual->blue_mask;
        return {info.visual, 32, XCreateColormap(d.display, d.root, info.visual, AllocNone), 0xFFFFFFFFUL & ~colour};
    }
    return {DefaultVisual(d.display, d.screen), DefaultDepth(d.display, d.screen), CopyFromParent, 0};
}

}  // namespace

X11Form::X11Form(const FormDefinition& definition, FormEvents& events)
    : DesktopForm(definition, events, TheDesktop().density),
      visual_(ChooseVisual()),
      pixelOf_(visual_.visual),
      standAlone_(StandAloneUnderThisManager()),
      opaque_(static_cast<std::size_t>(PixelWidth()) * static_cast<std::size_t>(PixelHeight()), 1),
      stacking_(standAlone_),
      drag_(standAlone_) {
    Desktop& d = TheDesktop();
    window_ = CreateTopLevel();
    parent_ = d.root;
    Register(static_cast<HWND>(window_));
    DescribeToWindowManager(window_, definition);
    MoveTo(0, 0);

    gc_ = XCreateGC(d.display, window_, 0, nullptr);
    // NOTE: on a Wayland desktop the compositor, not the X server, decides
    // who gets the pointer: a face that drags itself needs a catcher there.
    if (standAlone_ && d.xwayland && visual_.alpha != 0)
        catcher_ = std::make_unique<PointerCatcher>(visual_, PixelWidth(), PixelHeight());
}

Window X11Form::CreateTopLevel() const {
    const Desktop& d = TheDesktop();
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // we paint every pixel ourselves
    attributes.border_pixel = 0;          // a visual of its own needs a border colour of its own
    attributes.colormap = visual_.colormap;
    // Where no manager can keep it above everything, nobody manages it.
    attributes.override_redirect = standAlone_ ? True : False;
    // Motion matters only while the left button drags: a pointer passing
    // over the face must not wake the program.
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask |
                            StructureNotifyMask | VisibilityChangeMask;
    return XCreateWindow(d.display, d.root, 0, 0, static_cast<unsigned>(PixelWidth()),
                         static_cast<unsigned>(PixelHeight()), 0, visual_.depth, InputOutput, visual_.visual,
                         CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &attributes);
}

X11Form::~X11Form() { Release(); }

void X11Form::Release() {
    Desktop& d = TheDesktop();
    if (window_ == 0) return;
    Unregister();
    catcher_.reset();
    if (d.display != nullptr) {
        XFreeGC(d.display, gc_);
        XDestroyWindow(d.display, window_);
        if (visual_.colormap != CopyFromParent) XFreeColormap(d.display, visual_.colormap);
        XFlush(d.display);
    }
    window_ = 0;
}

void X11Form::ShowWindow() {
    mapRetry_.Asked(std::chrono::steady_clock::now());
    Map();
    stacking_.OnShow(window_);
    XFlush(TheDesktop().display);
}

void X11Form::OnMapped(bool mapped) {
    mapped_ = mapped;
    if (mapped) mapRetry_.OnMapped();
}

bool X11Form::KeepShowing(std::chrono::steady_clock::time_point now) {
    if (takeover_ != Takeover::Done) return true;  // ticks bring it back
    if (!mapRetry_.Waiting()) return false;
    if (mapRetry_.Due(now)) Map();
    return true;
}

void X11Form::KeepAbove() {
    // NOTE: the catcher shows once the face has shown, at a tick: sway
    // loses a window that no manager manages when it maps right after
    // another was withdrawn, and needs the face's input until then; never
    // under a pressed button, which it would take from the face.
    GoOnTakingOver();
    switch (stacking_.KeepAbove(window_, RootRect(), mapped_ && parent_ == TheDesktop().root)) {
        // Over the face again, above any window that may have come to take
        // its pointer.
        case Stacking::Cover::RaisedOver:
        case Stacking::Cover::Nothing:
            if (catcher_ && catcher_->Mapped()) catcher_->Cover(window_, {left_, top_});
            break;
        case Stacking::Cover::ByManager: NotKeptAbove(); break;
        case Stacking::Cover::Unchanged: break;
    }
}

void X11Form::NotKeptAbove() {
    if (!standAlone_) TakeOverFromManager({left_, top_});
}

RECT X11Form::RootRect() const { return {left_, top_, left_ + PixelWidth(), top_ + PixelHeight()}; }

bool X11Form::Overlaps(int x, int y, int width, int height) const {
    const RECT ours = RootRect();
    return x < ours.right && ours.left < x + width && y < ours.bottom && ours.top < y + height;
}

void X11Form::ApplyShape(const Rectangles& shape) {
    Desktop& d = TheDesktop();
    if (!d.hasShape) return;  // without the extension the window stays rectangular
    std::vector<XRectangle>& rectangles = shape_;
    rectangles.clear();
    rectangles.reserve(shape.size());
    for (const RECT& r : shape) {
        // Spans outside what X can carry cannot touch the window anyway.
        if (r.left < 0 || r.top < 0 || r.right > kProtocolMax || r.bottom > kProtocolMax || r.left >= r.right ||
            r.top >= r.bottom)
            continue;
        rectangles.push_back({static_cast<short>(r.left), static_cast<short>(r.top),
                              static_cast<unsigned short>(r.right - r.left),
                              static_cast<unsigned short>(r.bottom - r.top)});
    }
    XShapeCombineRectangles(d.display, window_, ShapeBounding, 0, 0, rectangles.data(),
                            static_cast<int>(rectangles.size()), ShapeSet, Unsorted);
    TakeInput();
    // With alpha, what the shape cuts away is see-through as well.
    std::fill(opaque_.begin(), opaque_.end(), 0);
    for (const XRectangle& r : rectangles)
        for (int y = r.y; y < std::min(r.y + r.height, PixelHeight()); ++y)
            for (int x = r.x; x < std::min(r.x + r.width, PixelWidth()); ++x)
                opaque_[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth()) + static_cast<std::size_t>(x)] = 1;
    OnExpose();  // redraw at once
}

void X11Form::TakeInput() {
    // NOTE: where a catcher takes the face's input, the face takes none, so
    // that the pointer reaches the catcher whichever the compositor stacks
    // above (sway stacks them in the order their first frames came, which
    // Xwayland may hold back).
    if (!TheDesktop().hasShape) return;
    const int count = catcher_ && catcher_->Mapped() ? 0 : static_cast<int>(shape_.size());
    XShapeCombineRectangles(TheDesktop().display, window_, ShapeInput, 0, 0, shape_.data(), count, ShapeSet, Unsorted);
    if (catcher_) catcher_->TakeShape(shape_);
}

void X11Form::OnExpose() { RepaintFromPersistentImage(); }

void X11Form::Present(const Image& image, const RECT& area) {
    Desktop& d = TheDesktop();
    if (!mapped_) return;  // the map exposes it, and all of it travels then
    const auto width = static_cast<unsigned>(area.right - area.left);
    const auto height = static_cast<unsigned>(area.bottom - area.top);
    XImage* out = XCreateImage(d.display, visual_.visual, static_cast<unsigned>(visual_.depth), ZPixmap, 0, nullptr,
                               width, height, 32, 0);
    if (out == nullptr) return;
    converted_.resize(static_cast<std::size_t>(out->bytes_per_line) * height);
    out->data = converted_.data();
    // The common 32-bit image in the machine's byte order is written directly.
    constexpr int kNativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    const bool direct = out->bits_per_pixel == 32 && out->byte_order == kNativeOrder;
    Colour lastColour = ~image.At(area.left, area.top);
    unsigned long pixel = 0;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out->data + static_cast<std::ptrdiff_t>(y - area.top) *
                                                                     out->bytes_per_line);
        for (std::int32_t x = area.left; x < area.right; ++x) {
            const Colour colour = image.At(x, y);
            if (colour != lastColour) pixel = pixelOf_(lastColour = colour) | visual_.alpha;
            const unsigned long shown = visual_.alpha == 0 || Opaque(x, y) ? pixel : 0;
            if (direct)
                row[x - area.left] = static_cast<std::uint32_t>(shown);
            else
                XPutPixel(out, x - area.left, y - area.top, shown);
        }
    }
    XPutImage(d.display, window_, gc_, out, 0, 0, area.left, area.top, width, height);
    out->data = nullptr;  // the buffer is ours, kept for the next time
    XDestroyImage(out);
    if (catcher_ && !catcher_->Mapped() && takeover_ == Takeover::Done) {
        // NOTE: sway stacks windows that no manager manages in the order
        // they first show, whatever X says: the catcher shows once the face
        // has, which Xwayland hands to the compositor before it answers.
        XSync(d.display, False);
        catcher_->Map();
        catcher_->Cover(window_, {left_, top_});
        TakeInput();
    }
}

}  // namespace platform::x11

std::unique_ptr<platform::Form> platform::CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<x11::X11Form>(definition, events);
}
