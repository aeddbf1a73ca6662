// raster_form.h: the drawing side of a form, kept in client memory.
//
// Implements the Form services that are pure pixel work: scale mode, the
// persistent image (AutoRedraw), FillColor, Circle and Point. The persistent
// image always holds BackColor and the picture plus what was drawn while
// AutoRedraw was on; the surface is what the window shows. A backend derives
// from it and supplies the window-manager side. Drawing only marks areas of
// the surface; ShowChanges() hands them to the backend's Present() once, so
// that a tick's whites and pupils reach the screen together.
//
// On a dense screen each of the program's pixels is `density` screen pixels
// each way. The images are kept at the screen's resolution: the picture
// scaled up pixel for pixel, circles drawn finely, so that they stay round.
// The program's code still sees its own pixels.
#pragma once

#include <vector>

#include "platform/contract/form.h"
#include "platform/shared/circle_raster.h"
#include "platform/shared/form_scale.h"

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

    // Presents the areas drawn since the last call; true when the screen
    // changed.
    bool ShowChanges();

    // The drawing area in screen pixels.
    std::int32_t PixelWidth() const { return surface_.width; }
    std::int32_t PixelHeight() const { return surface_.height; }
    std::int32_t Density() const { return density_; }
    const Image& Surface() const { return surface_; }
    const Image& PersistentImage() const { return persistent_; }
    Colour FillColor() const { return fillColor_; }

protected:
    // The window's rectangle in the program's pixels with its top-left
    // corner at (left, top); the far edges saturate at the end of the
    // coordinate range.
    RECT RectAt(std::int32_t left, std::int32_t top) const;
    // The window has been exposed: the persistent image shows again.
    void RepaintFromPersistentImage();
    // Pixels of the surface may have changed; the backend shows those that
    // differ from the screen and says whether there were any. The rectangle
    // is clipped to the drawing area, right and bottom exclusive.
    virtual bool Present(const RECT& changed) = 0;

private:
    void PaintSpans(Image& target, const std::vector<RowSpan>& spans, Colour colour, RECT& changed);
    void MarkDrawn(RECT area);

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
    std::vector<RECT> drawn_;  // disjoint areas drawn since ShowChanges()
};

}  // namespace platform
