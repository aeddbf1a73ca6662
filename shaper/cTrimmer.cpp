// cTrimmer.cpp: the row scan that shapes a window, and the caption grab.
//
// A failure anywhere in here ends the procedure and reaches the caller.
#include "shaper/cTrimmer.h"

#include "platform/runtime/checked_math.h"

using namespace platform;

namespace {

// Deletes a region under construction when shaping fails before the window
// takes it over, and puts the member back to the window's region.
class UnownedRegion {
public:
    UnownedRegion(HRGN& member, HRGN previous) : member_(member), previous_(previous) {}
    UnownedRegion(const UnownedRegion&) = delete;
    UnownedRegion& operator=(const UnownedRegion&) = delete;
    ~UnownedRegion() {
        if (!owned_) return;
        DeleteObject(member_);
        member_ = previous_;
    }
    void Release() { owned_ = false; }

private:
    HRGN& member_;
    HRGN previous_;
    bool owned_ = true;
};

}  // namespace

void cTrimmer::GrabForm(Form& Form) {
    ReleaseCapture();
    const HWND window = Form.hWnd();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void cTrimmer::TrimForm(Form& Form) {
    if (Form.Picture() == PictureHandle{}) return;

    const std::int16_t savedScaleMode = Form.ScaleMode();
    const bool savedAutoRedraw = Form.AutoRedraw();
    // Pixel reads must come from the persistent image, which holds the
    // picture even before the window is first shown.
    Form.SetAutoRedraw(true);
    Form.SetScaleMode(vbPixels);

    const Colour KeyColor = Form.Point(0.0F, 0.0F);
    const HRGN handedOver = Region;
    Region = CreateRectRgn(0, 0, 0, 0);
    // Until the window takes the region, a failure must not leak it.
    UnownedRegion pending{Region, handedOver};
    std::int32_t SpanStart = -1;

    const std::int32_t rowBound = RoundToInt32(static_cast<double>(Form.ScaleHeight()) - 1.0);
    for (std::int32_t y = 0; y <= rowBound; y = CheckedAdd(y, 1)) {
        const std::int32_t columnBound = RoundToInt32(static_cast<double>(Form.ScaleWidth()) - 1.0);
        for (std::int32_t x = 0; x <= columnBound; x = CheckedAdd(x, 1)) {
            const Colour c = Form.Point(static_cast<float>(x), static_cast<float>(y));
            if (c != KeyColor) {
                if (SpanStart == -1) SpanStart = x;
            } else if (SpanStart > -1) {
                AddSpan(SpanStart, y, x, CheckedAdd(y, 1));
            }
        }
        if (SpanStart > -1) AddSpan(SpanStart, y, CheckedAdd(columnBound, 1), CheckedAdd(y, 1));
    }

    SetWindowRgn(Form.hWnd(), Region, -1);
    pending.Release();
    Form.SetScaleMode(savedScaleMode);
    Form.SetAutoRedraw(savedAutoRedraw);
}

void cTrimmer::AddSpan(std::int32_t& SpanStart, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    SpanRegion = CreateRectRgn(SpanStart, top, right, bottom);
    CombineRgn(Region, Region, SpanRegion, RGN_OR);
    DeleteObject(SpanRegion);
    SpanStart = -1;
}
