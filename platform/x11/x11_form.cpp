// x11_form.cpp: the X11 window behind a form.
//
// Implements: a frameless (Motif hints), topmost (_NET_WM_STATE_ABOVE)
// window with EWMH names, PID and icon; painting from client memory with
// XPutImage; bounding and input shapes; the caption drag through
// _NET_WM_MOVERESIZE, or our own when the window manager lacks it.
#include "platform/x11/x11_form.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "platform/runtime/checked_math.h"
#include "platform/shared/icon_file.h"
#include "platform/x11/x11_desktop.h"

namespace platform::x11 {

namespace {

// Whether the left button's release already waits in the queue: the
// program has fallen behind the user.
bool LeftReleaseQueued(Window window) {
    struct Search {
        Window window;
        bool found;
    } search{window, false};
    XEvent ignored;
    XCheckIfEvent(
        TheDesktop().display, &ignored,
        [](Display*, XEvent* event, XPointer argument) -> Bool {
            auto* s = reinterpret_cast<Search*>(argument);
            if (event->type == ButtonRelease && event->xbutton.window == s->window && event->xbutton.button == Button1)
                s->found = true;
            return False;  // look only, take nothing
        },
        reinterpret_cast<XPointer>(&search));
    return search.found;
}

constexpr long kMoveResizeMove = 8;
constexpr long kMoveResizeCancel = 11;
constexpr long kStateAdd = 1;
constexpr long kSourceApplication = 1;
constexpr unsigned long kAllDesktops = 0xFFFFFFFF;  // EWMH: _NET_WM_DESKTOP on every desktop
constexpr int kMapRetries = 5;
constexpr auto kMapRetryInterval = std::chrono::seconds(1);

// X carries window positions as 16-bit numbers.
int ToProtocol(std::int32_t coordinate) { return std::clamp(coordinate, -32768, 32767); }


void SetUtf8Property(Window window, Atom property, const std::string& text) {
    Desktop& d = TheDesktop();
    XChangeProperty(d.display, window, property, d.atoms.UTF8_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void SetIcon(Window window, std::span<const std::uint8_t> iconFile) {
    IconImage icon;
    if (!DecodeIconFile(iconFile, icon)) return;
    Desktop& d = TheDesktop();
    // Format-32 properties travel as longs on the client side.
    std::vector<unsigned long> data{static_cast<unsigned long>(icon.width), static_cast<unsigned long>(icon.height)};
    data.insert(data.end(), icon.argb.begin(), icon.argb.end());
    XChangeProperty(d.display, window, d.atoms.NET_WM_ICON, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

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
    : RasterForm(definition, TheDesktop().density),
      events_(events),
      timerIntervalMs_(definition.timerIntervalMs),
      visual_(ChooseVisual()),
      pixelOf_(visual_.visual),
      standAlone_(StandAloneUnderThisManager()),
      opaque_(static_cast<std::size_t>(PixelWidth()) * static_cast<std::size_t>(PixelHeight()), 1) {
    Desktop& d = TheDesktop();
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
    window_ = XCreateWindow(d.display, d.root, 0, 0, static_cast<unsigned>(PixelWidth()),
                            static_cast<unsigned>(PixelHeight()), 0, visual_.depth, InputOutput, visual_.visual,
                            CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &attributes);
    parent_ = d.root;
    d.forms[window_] = this;

    // Names, class, process and icon, for the window manager and task lists.
    XClassHint classHint{const_cast<char*>("zwinkerle"), const_cast<char*>("Zwinkerle")};
    XSetClassHint(d.display, window_, &classHint);
    XStoreName(d.display, window_, definition.applicationTitle.c_str());
    SetUtf8Property(window_, d.atoms.NET_WM_NAME, definition.applicationTitle);
    const unsigned long pid = static_cast<unsigned long>(::getpid());
    XChangeProperty(d.display, window_, d.atoms.NET_WM_PID, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) {
        XTextProperty machine{};
        char* list[] = {host};
        if (XStringListToTextProperty(list, 1, &machine) != 0) {
            XSetWMClientMachine(d.display, window_, &machine);
            XFree(machine.value);
        }
    }
    SetIcon(window_, definition.icon);
    // A companion that stands above everything belongs on every workspace.
    const unsigned long allDesktops = kAllDesktops;
    XChangeProperty(d.display, window_, d.atoms.NET_WM_DESKTOP, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&allDesktops), 1);

    // No frame: Motif hints with the decorations flag and no decorations.
    const unsigned long motif[5] = {2, 0, 0, 0, 0};
    XChangeProperty(d.display, window_, d.atoms.MOTIF_WM_HINTS, d.atoms.MOTIF_WM_HINTS, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    Atom protocols[] = {d.atoms.WM_DELETE_WINDOW};
    XSetWMProtocols(d.display, window_, protocols, 1);
    XWMHints hints{};
    // It takes no keyboard input: clicking the face must not take the focus
    // away from the window the user is typing in.
    hints.flags = InputHint | StateHint;
    hints.input = False;
    hints.initial_state = NormalState;
    XSetWMHints(d.display, window_, &hints);
    MoveTo(0, 0);

    gc_ = XCreateGC(d.display, window_, 0, nullptr);
}

X11Form::~X11Form() { Release(); }

bool X11Form::KeptAboveByManager() const { return !standAlone_ && WindowManagerKeepsAbove(); }

void X11Form::Release() {
    Desktop& d = TheDesktop();
    if (window_ == 0) return;
    d.forms.erase(window_);
    if (d.display != nullptr) {
        XFreeGC(d.display, gc_);
        XDestroyWindow(d.display, window_);
        if (visual_.colormap != CopyFromParent) XFreeColormap(d.display, visual_.colormap);
        XFlush(d.display);
    }
    window_ = 0;
}

HWND X11Form::hWnd() { return static_cast<HWND>(window_); }

float X11Form::Top() { return static_cast<float>(ProgramPoint(left_, top_).y) * kTwipsPerPixel; }
float X11Form::Left() { return static_cast<float>(ProgramPoint(left_, top_).x) * kTwipsPerPixel; }

void X11Form::SetTop(float twips) { MoveTo(left_, RootY(RoundToInt32(static_cast<double>(twips) / kTwipsPerPixel))); }
void X11Form::SetLeft(float twips) { MoveTo(RootX(RoundToInt32(static_cast<double>(twips) / kTwipsPerPixel)), top_); }

RECT X11Form::Rect() const {
    const POINTAPI corner = ProgramPoint(left_, top_);
    return RectAt(corner.x, corner.y);
}

void X11Form::MoveTo(std::int32_t left, std::int32_t top) {
    Desktop& d = TheDesktop();
    left_ = left;
    top_ = top;
    if (!mapped_) {
        // Read by the window manager when it maps us. The size is fixed; the
        // position is the user's (stored) choice, which a window manager
        // should honour rather than place the window itself.
        XSizeHints size{};
        size.flags = USPosition | PPosition | PMinSize | PMaxSize;
        size.x = ToProtocol(left);
        size.y = ToProtocol(top);
        size.min_width = size.max_width = PixelWidth();
        size.min_height = size.max_height = PixelHeight();
        XSetWMNormalHints(d.display, window_, &size);
    }
    XMoveWindow(d.display, window_, ToProtocol(left), ToProtocol(top));
}

void X11Form::Show() {
    shown_ = true;
    nextMapRetry_ = std::chrono::steady_clock::now() + kMapRetryInterval;
    Map();
    if (topmost_ && !standAlone_) AskToStayAbove();
    XFlush(TheDesktop().display);
}

void X11Form::AskToStayAbove() {
    Desktop& d = TheDesktop();
    SendRootMessage(window_, d.atoms.NET_WM_STATE, kStateAdd, static_cast<long>(d.atoms.NET_WM_STATE_ABOVE),
                    static_cast<long>(d.atoms.NET_WM_STATE_STICKY), kSourceApplication, 0);
    SendRootMessage(window_, d.atoms.NET_WM_DESKTOP, static_cast<long>(kAllDesktops), kSourceApplication, 0, 0, 0);
}

void X11Form::OnMapped(bool mapped) {
    mapped_ = mapped;
    everMapped_ = everMapped_ || mapped;
}

bool X11Form::KeepShowing(std::chrono::steady_clock::time_point now) {
    if (!shown_ || everMapped_ || mapRetries_ >= kMapRetries) return false;
    if (now >= nextMapRetry_) {
        ++mapRetries_;
        nextMapRetry_ = now + kMapRetryInterval;
        Map();
    }
    return true;
}

void X11Form::MakeTopmost() {
    Desktop& d = TheDesktop();
    topmost_ = true;
    if (!mapped_) {
        // Read by the window manager when the window is mapped: above other
        // windows, and where the desktop scrolls, fixed on the screen.
        const Atom states[] = {d.atoms.NET_WM_STATE_ABOVE, d.atoms.NET_WM_STATE_STICKY};
        XChangeProperty(d.display, window_, d.atoms.NET_WM_STATE, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states), 2);
    } else if (!standAlone_) {
        AskToStayAbove();
    }
    if (KeptAboveByManager())
        XRaiseWindow(d.display, window_);
    else
        covered_ = true;  // KeepAbove knows which windows to stay under
}

namespace {

struct Neighbour {
    Window window;
    bool overrideRedirect;
    bool aboveUs;
};

// The mapped top-level windows other than ours that overlap `rect`, bottom
// to top.
std::vector<Neighbour> Neighbours(Window ours, const RECT& rect) {
    Desktop& d = TheDesktop();
    std::vector<Neighbour> found;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d.display, d.root, &root, &parent, &children, &count)) return found;
    bool aboveUs = false;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (children[i] == ours) {
            aboveUs = true;
        } else if (XGetWindowAttributes(d.display, children[i], &a) && a.map_state == IsViewable) {
            const int right = a.x + a.width + 2 * a.border_width, bottom = a.y + a.height + 2 * a.border_width;
            if (a.x < rect.right && rect.left < right && a.y < rect.bottom && rect.top < bottom)
                found.push_back({children[i], a.override_redirect != 0, aboveUs});
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

void Restack(Window window, Window sibling, int mode) {
    XWindowChanges changes{};
    changes.sibling = sibling;
    changes.stack_mode = mode;
    XConfigureWindow(TheDesktop().display, window, CWSibling | CWStackMode, &changes);
}

}  // namespace

void X11Form::KeepAbove() {
    Desktop& d = TheDesktop();
    if (!covered_) return;
    covered_ = false;
    if (!mapped_ || parent_ != d.root || KeptAboveByManager()) return;
    // NOTE: override-redirect windows (menus, tooltips, lock screens) belong
    // above us; we go just above the topmost ordinary window that covers us.
    const std::vector<Neighbour> neighbours = Neighbours(window_, Rect());
    const auto cover = std::find_if(neighbours.rbegin(), neighbours.rend(),
                                    [](const Neighbour& n) { return n.aboveUs && !n.overrideRedirect; });
    if (cover != neighbours.rend()) Restack(window_, cover->window, Above);
}

void X11Form::Map() {
    Desktop& d = TheDesktop();
    if (KeptAboveByManager()) {
        XMapRaised(d.display, window_);
        return;
    }
    // Nobody stacks us: start under any override-redirect window that is up
    // (a lock screen, say) and rise above ordinary ones at the next tick.
    const std::vector<Neighbour> neighbours = Neighbours(window_, Rect());
    const auto lowest = std::find_if(neighbours.begin(), neighbours.end(),
                                     [](const Neighbour& n) { return n.overrideRedirect; });
    if (lowest != neighbours.end()) Restack(window_, lowest->window, Below);
    XMapWindow(d.display, window_);
    covered_ = true;
}

void X11Form::TakeShape(const Rectangles& shape) {
    Desktop& d = TheDesktop();
    if (!d.hasShape) return;  // without the extension the window stays rectangular
    std::vector<XRectangle> rectangles;
    rectangles.reserve(shape.size());
    const std::int32_t density = Density();
    for (const RECT& span : shape) {
        // In screen pixels; spans outside what X can carry cannot touch the window anyway.
        const RECT r{span.left * density, span.top * density, span.right * density, span.bottom * density};
        if (span.left < 0 || span.top < 0 || r.right > 32767 || r.bottom > 32767 || r.left >= r.right ||
            r.top >= r.bottom)
            continue;
        rectangles.push_back({static_cast<short>(r.left), static_cast<short>(r.top),
                              static_cast<unsigned short>(r.right - r.left),
                              static_cast<unsigned short>(r.bottom - r.top)});
    }
    for (const int kind : {ShapeBounding, ShapeInput})
        XShapeCombineRectangles(d.display, window_, kind, 0, 0, rectangles.data(), static_cast<int>(rectangles.size()),
                                ShapeSet, Unsorted);
    // With alpha, what the shape cuts away is see-through as well.
    std::fill(opaque_.begin(), opaque_.end(), 0);
    for (const XRectangle& r : rectangles)
        for (int y = r.y; y < std::min(r.y + r.height, PixelHeight()); ++y)
            for (int x = r.x; x < std::min(r.x + r.width, PixelWidth()); ++x)
                opaque_[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth()) + static_cast<std::size_t>(x)] = 1;
    OnExpose();  // redraw at once
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
}

void X11Form::OnConfigure(const XConfigureEvent& event) {
    // Synthetic events from the window manager carry root coordinates;
    // real ones are relative to the parent, which may be a frame.
    if (event.send_event || parent_ == TheDesktop().root) {
        left_ = event.x;
        top_ = event.y;
    } else {
        UpdatePositionFromServer();
    }
}

void X11Form::OnReparent(const XReparentEvent& event) {
    Desktop& d = TheDesktop();
    parent_ = event.parent;
    // NOTE: a reparenting window manager moves its frame, not us, and need
    // not tell us (openbox does not); so we watch the frame as well.
    if (parent_ != d.root) XSelectInput(d.display, parent_, StructureNotifyMask);
    UpdatePositionFromServer();
}

void X11Form::OnFrameConfigure() { UpdatePositionFromServer(); }

void X11Form::UpdatePositionFromServer() {
    Desktop& d = TheDesktop();
    int x = 0, y = 0;
    Window child = 0;
    if (XTranslateCoordinates(d.display, window_, d.root, 0, 0, &x, &y, &child)) {
        left_ = x;
        top_ = y;
    }
}

void X11Form::OnLeftPress(int rootX, int rootY) {
    leftHeld_ = true;
    pressX_ = rootX;
    pressY_ = rootY;
    drag_ = Drag::Idle;
}

void X11Form::BeginCaptionDrag() {
    if (!leftHeld_) return;
    // Nothing moves until the pointer does: a click, or the first click of
    // a double-click, leaves the window where it is.
    drag_ = Drag::Armed;
    dragStartLeft_ = left_;
    dragStartTop_ = top_;
}

void X11Form::OnPointerMotion(int rootX, int rootY) {
    Desktop& d = TheDesktop();
    if (drag_ == Drag::Armed) {
        // A drag that is over already is ours to finish: the window manager
        // would start a move that no button holds.
        if (!standAlone_ && !LeftReleaseQueued(window_) && WindowManagerSupports(d.atoms.NET_WM_MOVERESIZE)) {
            // NOTE: EWMH wants our grab released first; the press position
            // lets the window manager apply the whole path since the press.
            XUngrabPointer(d.display, CurrentTime);
            SendRootMessage(window_, d.atoms.NET_WM_MOVERESIZE, pressX_, pressY_, kMoveResizeMove, Button1,
                            kSourceApplication);
            drag_ = Drag::WindowManager;
            return;
        }
        drag_ = Drag::Own;
    }
    if (drag_ == Drag::Own) MoveTo(dragStartLeft_ + (rootX - pressX_), dragStartTop_ + (rootY - pressY_));
}

void X11Form::TakeOverDrag() {
    Desktop& d = TheDesktop();
    if (drag_ != Drag::WindowManager) return;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    const bool held = XQueryPointer(d.display, d.root, &root, &child, &rootX, &rootY, &x, &y, &buttons) &&
                      (buttons & Button1Mask) != 0;
    if (!held) {  // the manager's move had ended; its release never reached us
        OnLeftRelease();
        return;
    }
    // Go on from here, holding the pointer so that its release reaches us.
    XGrabPointer(d.display, window_, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None,
                 None, CurrentTime);
    pressX_ = rootX;
    pressY_ = rootY;
    dragStartLeft_ = left_;
    dragStartTop_ = top_;
    drag_ = Drag::Own;
}

void X11Form::KeepOnMonitors() {
    // NOTE: nothing else brings back a window left off every monitor when
    // one is unplugged (window managers differ, and without one nobody
    // does), and a second start would end at once. The top centre of the
    // primary monitor, as at a first start, when its centre is off them all.
    const int centreX = left_ + PixelWidth() / 2, centreY = top_ + PixelHeight() / 2;
    for (const RECT& m : MonitorRects())
        if (centreX >= m.left && centreX < m.right && centreY >= m.top && centreY < m.bottom) return;
    const RECT primary = PrimaryMonitorRect();
    MoveTo(primary.left + (primary.right - primary.left - PixelWidth()) / 2, primary.top);
}

void X11Form::OnLeftRelease() {
    Desktop& d = TheDesktop();
    // A release that reaches us after the hand-over means the window manager
    // may have missed it: it must not go on moving the window.
    if (drag_ == Drag::WindowManager && WindowManagerSupports(d.atoms.NET_WM_MOVERESIZE))
        SendRootMessage(window_, d.atoms.NET_WM_MOVERESIZE, pressX_, pressY_, kMoveResizeCancel, Button1,
                        kSourceApplication);
    if (drag_ == Drag::Own) XUngrabPointer(d.display, CurrentTime);
    leftHeld_ = false;
    drag_ = Drag::Idle;
}

}  // namespace platform::x11
