// test_window.h: windows on the in-memory desktop for tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.h"

namespace test {

// A window that ignores its events.
struct IdleEvents final : platform::FormEvents {
    void Form_Load() override {}
    void Form_MouseDown(std::int16_t, std::int16_t, float, float) override {}
    void Form_DblClick() override {}
    void tmr_Timer() override {}
};

// A picture drawn from rows of characters: '.' is the key colour, any other
// character a colour of its own.
platform::Image PictureFromRows(const std::vector<std::string>& rows);
inline constexpr platform::Colour kKey = platform::RGB(0, 1, 43);

// A headless window of the picture's size showing it; the window is fresh on
// a fresh desktop.
struct PictureWindow {
    explicit PictureWindow(const platform::Image& picture, std::int16_t scaleMode = platform::vbPixels,
                           bool withPicture = true);
    platform::Image picture;
    IdleEvents events;
    std::unique_ptr<platform::Form> form;
    platform::headless::HeadlessForm& Headless() { return static_cast<platform::headless::HeadlessForm&>(*form); }
};

// What the window shows, as rows: '.' where its shape cuts it away, ','
// where it shows the key colour, else the picture's character.
std::vector<std::string> ShownRows(platform::headless::HeadlessForm& form);

}  // namespace test
