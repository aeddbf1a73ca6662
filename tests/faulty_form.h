// faulty_form.h: a window with a pixel that cannot be read, for tests of
// what a failure leaves behind.
#pragma once

#include <optional>

#include "platform/contract/form.h"
#include "platform/runtime/failure.h"

namespace test {

// Passes every service on to `window`, except that reading the pixel at
// `unreadable` (in the window's current scale) fails as a statement does.
class FaultyForm final : public platform::Form {
public:
    explicit FaultyForm(platform::Form& window) : window_(window) {}

    std::optional<platform::POINTAPI> unreadable;

    platform::Colour Point(float x, float y) override {
        if (unreadable && x == static_cast<float>(unreadable->x) && y == static_cast<float>(unreadable->y))
            platform::Fail();
        return window_.Point(x, y);
    }
    platform::HWND hWnd() override { return window_.hWnd(); }
    float Top() override { return window_.Top(); }
    void SetTop(float twips) override { window_.SetTop(twips); }
    float Left() override { return window_.Left(); }
    void SetLeft(float twips) override { window_.SetLeft(twips); }
    float Width() override { return window_.Width(); }
    platform::PictureHandle Picture() override { return window_.Picture(); }
    std::int16_t ScaleMode() override { return window_.ScaleMode(); }
    void SetScaleMode(std::int16_t mode) override { window_.SetScaleMode(mode); }
    bool AutoRedraw() override { return window_.AutoRedraw(); }
    void SetAutoRedraw(bool on) override { window_.SetAutoRedraw(on); }
    float ScaleWidth() override { return window_.ScaleWidth(); }
    float ScaleHeight() override { return window_.ScaleHeight(); }
    void SetFillColor(platform::Colour colour) override { window_.SetFillColor(colour); }
    void Circle(float x, float y, float radius, platform::Colour colour) override { window_.Circle(x, y, radius, colour); }
    void Show() override { window_.Show(); }

private:
    platform::Form& window_;
};

}  // namespace test
