// raster_form.h: the software window, the one drawing core of every backend.
//
// Implements the Form services that are pure pixel work: scale mode, the
// persistent image (AutoRedraw), FillColor, Circle and Point; and what the
// screen is to show. The persistent image always holds BackColor and the
// picture plus what was drawn while AutoRedraw was on; the surface is what
// the window is to show; the shown image what the backend was last handed.
// Drawing only marks areas of the surface. ShowChanges() hands the
// backend's Present() the parts of them that differ from what it shows,
// once, so that a tick's whites and pupils reach the screen together and a
// tick that paints the same pupils again sends nothing. A backend derives
// from it, supplies the window-manager side and only presents.
//
// On a dense screen each of the program's pixels is `density` screen pixels
// each way. The images are kept at the screen's resolution: the picture
// scaled up pixel for pixel, circles drawn finely, so that they stay round.
// The program's code still sees its own pixels.
#pragma once

#include <vector>

#include "platform/contract/form.h"
#include "platform/software/circle_raster.h"
#include "platform/software/form_scale.h"

namespace platform {

class RasterForm : public Form {
public:
    explicit RasterForm(const FormDefinition& definition, std::int32_t density = 1);

    float Width() override;
    PictureHandle Picture() override;
    std::int16_t ScaleMode() override;
    void SetScaleMode(std::int16_t mode) override;
    bool AutoRedraw() override;
    void SetAutoRedraw(bool on) override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    void SetFillColor(Colour colour) override;
    void Circle(float x, float y, float radius, Colour colour) override;
    Colour Point(float x, float y) override;

    // Presents what was drawn since the last call and differs from what the
    // screen shows; true when anything did.
    bool ShowChanges();

    // The drawing area in screen pixels.
    std::int32_t PixelWidth() const { return surface_.width; }
    std::int32_t PixelHeight() const { return surface_.height; }
    std::int32_t Density() const { return density_; }
    const Image& Surface() const { return surface_; }
    const Image& PersistentImage() const { return persistent_; }
    // What the backend was last handed: what its window shows.
    const Image& Shown() const { return shown_; }
    Colour FillColor() const { return fillColor_; }
    // A distance in screen pixels, in the form's scale, as a mouse event
    // reports it.
    float InScale(std::int32_t screenPixels) const;

protected:
    // The window's rectangle in the program's pixels with its top-left
    // corner at (left, top); the far edges saturate at the end of the
    // coordinate range.
    RECT RectAt(std::int32_t left, std::int32_t top) const;
    // The screen lost what the window showed, all of it or `area` (screen
    // pixels): the persistent image shows there again, sent whole at the
    // next ShowChanges().
    void RepaintFromPersistentImage();
    void RepaintFromPersistentImage(const RECT& area);
    // The window moved to a screen of another density: the images take it,
    // showing the persistent image, sent whole at the next ShowChanges().
    void SetDensity(std::int32_t density);
    // Puts `area` of `image` (screen pixels, clipped to the drawing area,
    // right and bottom exclusive) on the screen.
    virtual void Present(const Image& image, const RECT& area) = 0;

private:
    void PaintSpans(Image& target, const std::vector<RowSpan>& spans, Colour colour, RECT& changed);
    // The smallest rectangle of `area` where the surface differs from what
    // was shown; empty when it does not.
    RECT Differing(const RECT& area) const;

    float widthTwips_;
    std::int32_t width_;   // in the program's pixels
    std::int32_t height_;
    std::int32_t density_;
    bool hasPicture_;
    FormScale scale_;
    bool autoRedraw_;
    Colour fillColor_;
    Image persistent_;
    Image surface_;
    Image shown_;
    std::vector<RECT> drawn_;  // disjoint areas drawn since ShowChanges()
    std::vector<RECT> lost_;   // areas the screen lost since ShowChanges()
};

}  // namespace platform
