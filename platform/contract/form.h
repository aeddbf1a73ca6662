// form.h: the window object and its events, as the program's code sees them.
//
// A form is a window defined by a FormDefinition (size in twips, colours, a
// picture, a timer). Its properties may fail like any statement: they throw
// platform::Failure. Backends implement Form; the program implements
// FormEvents and receives its events one at a time on the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/contract/image.h"
#include "platform/contract/win_api.h"

namespace platform {

enum class PictureHandle : std::uintptr_t {};

inline constexpr std::int16_t vbTwips = 1;
inline constexpr std::int16_t vbPixels = 3;
inline constexpr float kTwipsPerPixel = 15.0F;

// The fixed properties a window is created with.
struct FormDefinition {
    std::string applicationTitle;    // shown by the desktop, e.g. in a task list
    std::string caption;             // the window's own caption (frameless: never visible)
    float clientWidthTwips = 0;
    float clientHeightTwips = 0;
    Colour backColor = 0x00FFFFFF;
    Colour fillColor = 0;
    std::int16_t scaleMode = vbPixels;
    bool autoRedraw = false;
    const Image* picture = nullptr;  // drawn at (0, 0); null: no picture
    std::span<const std::uint8_t> icon;  // an .ico file
    std::uint32_t timerIntervalMs = 0;   // 0: no timer
};

class Form {
public:
    virtual ~Form() = default;

    virtual HWND hWnd() = 0;
    virtual float Top() = 0;
    virtual void SetTop(float twips) = 0;
    virtual float Left() = 0;
    virtual void SetLeft(float twips) = 0;
    virtual float Width() = 0;
    virtual PictureHandle Picture() = 0;
    virtual std::int16_t ScaleMode() = 0;
    virtual void SetScaleMode(std::int16_t mode) = 0;
    virtual bool AutoRedraw() = 0;
    virtual void SetAutoRedraw(bool on) = 0;
    virtual float ScaleWidth() = 0;
    virtual float ScaleHeight() = 0;
    virtual void SetFillColor(Colour colour) = 0;
    // A circle of the given radius around (x, y), all in the current scale:
    // a one-pixel outline in `colour`, the inside filled with FillColor.
    virtual void Circle(float x, float y, float radius, Colour colour) = 0;
    // The colour of the pixel at (x, y); persistent image while AutoRedraw is on.
    virtual Colour Point(float x, float y) = 0;
    // Shows the window and returns at once.
    virtual void Show() = 0;
};

class FormEvents {
public:
    virtual void Form_Load() = 0;
    virtual void Form_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
    virtual void Form_DblClick() = 0;
    virtual void tmr_Timer() = 0;

protected:
    ~FormEvents() = default;
};

// Creates the window, hidden, with its timer enabled. The caller runs its
// Form_Load before anything else uses it. Events reach `events` from the
// event loop until the form is destroyed or the program ends.
std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events);

}  // namespace platform
