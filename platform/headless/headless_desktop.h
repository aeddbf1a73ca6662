// headless_desktop.h: the in-memory desktop behind the headless backend.
//
// Implements: the form and application services and the user32/gdi32 calls,
// all in memory, for tests. A test sets the pointer, moves windows, reads
// what a window shows (its surface and its shape) and sees every region
// handle and drag request the program made.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/software/raster_form.h"
#include "platform/software/region_store.h"

namespace platform::headless {

struct SentMessage {
    HWND window{};
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class HeadlessForm;

struct Desktop {
    POINTAPI pointer;
    std::int32_t screenWidthPixels = 1920;
    std::vector<RECT> monitors{{0, 0, 1920, 1080}};
    bool prevInstance = false;
    std::string appPath = "/opt/zwinkerle";
    std::string exeName = "zwinkerle";
    std::string commandLine;
    std::vector<SentMessage> messages;
    int releaseCaptureCalls = 0;
    std::map<HWND, HeadlessForm*> forms;
    bool ended = false;
};

// The one desktop; ResetDesktop() gives a fresh one (forms must be gone).
Desktop& TheDesktop();
void ResetDesktop();

class HeadlessForm final : public RasterForm {
public:
    HeadlessForm(const FormDefinition& definition, FormEvents& events);
    ~HeadlessForm() override;

    HWND hWnd() override;
    float Top() override;
    void SetTop(float twips) override;
    float Left() override;
    void SetLeft(float twips) override;
    void Show() override;

    // What a test can see and do.
    RECT Rect() const;
    void MoveTo(std::int32_t left, std::int32_t top);
    bool Visible() const { return visible_; }
    bool Topmost() const { return topmost_; }
    bool Shaped() const { return shaped_; }
    const Rectangles& Shape() const { return shape_; }
    // Whether window pixel (x, y) is drawn and takes input.
    bool InShape(std::int32_t x, std::int32_t y) const;
    void Expose() { RepaintFromPersistentImage(); }
    FormEvents& Events() { return events_; }

    void TakeShape(Rectangles&& shape);
    void MakeTopmost() { topmost_ = true; }

private:
    void Present(const Image&, const RECT&) override {}  // the shown image is what it shows

    FormEvents& events_;
    HWND handle_;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    bool visible_ = false;
    bool topmost_ = false;
    bool shaped_ = false;
    Rectangles shape_;
};

// The form behind a handle, or null.
HeadlessForm* FormOf(HWND window);

}  // namespace platform::headless
