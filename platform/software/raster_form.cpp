// raster_form.cpp: scale mode, persistent image, circles, pixel reads, and
// what differs from what the screen shows.
#include "platform/software/raster_form.h"

#include <algorithm>
#include <limits>

#include "platform/runtime/checked_math.h"

namespace platform {

namespace {

std::int32_t PixelsOf(float twips) { return RoundToInt32(twips / kTwipsPerPixel); }

// The back colour and the picture, each pixel `density` pixels each way.
Image BackgroundWithPicture(std::int32_t width, std::int32_t height, const FormDefinition& definition,
                            std::int32_t density) {
    Image image(width * density, height * density, definition.backColor);
    if (const Image* picture = definition.picture) {
        const std::int32_t w = std::min(width, picture->width) * density;
        const std::int32_t h = std::min(height, picture->height) * density;
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) image.At(x, y) = picture->At(x / density, y / density);
    }
    return image;
}

bool Touch(const RECT& a, const RECT& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

void CopyArea(const Image& from, Image& to, const RECT& area) {
    for (std::int32_t y = area.top; y < area.bottom; ++y)
        for (std::int32_t x = area.left; x < area.right; ++x) to.At(x, y) = from.At(x, y);
}

void Include(RECT& area, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    if (area.left >= area.right) {
        area = {x0, y0, x1, y1};
        return;
    }
    area.left = std::min(area.left, x0);
    area.top = std::min(area.top, y0);
    area.right = std::max(area.right, x1);
    area.bottom = std::max(area.bottom, y1);
}

// Adds an area to disjoint ones: areas that touch become one, so each eye is
// one area however often it is painted over in a tick.
void AddMerged(std::vector<RECT>& areas, RECT area) {
    for (auto it = areas.begin(); it != areas.end();) {
        if (Touch(*it, area)) {
            Include(area, it->left, it->top, it->right, it->bottom);
            areas.erase(it);
            it = areas.begin();
        } else {
            ++it;
        }
    }
    areas.push_back(area);
}

// Each program pixel of `image`, at density `from`, as a block at density
// `to`, in the colour of its top-left screen pixel: the picture exactly,
// circles drawn finely at `from` as their program pixels.
Image Rescaled(const Image& image, std::int32_t from, std::int32_t to) {
    Image scaled(image.width / from * to, image.height / from * to, 0);
    for (std::int32_t y = 0; y < scaled.height; ++y)
        for (std::int32_t x = 0; x < scaled.width; ++x) scaled.At(x, y) = image.At(x / to * from, y / to * from);
    return scaled;
}

}  // namespace

RasterForm::RasterForm(const FormDefinition& definition, std::int32_t density)
    : widthTwips_(definition.clientWidthTwips),
      width_(PixelsOf(definition.clientWidthTwips)),
      height_(PixelsOf(definition.clientHeightTwips)),
      density_(std::max(density, 1)),
      hasPicture_(definition.picture != nullptr),
      scale_(definition.scaleMode, kTwipsPerPixel),
      autoRedraw_(definition.autoRedraw),
      fillColor_(definition.fillColor),
      persistent_(BackgroundWithPicture(width_, height_, definition, density_)),
      surface_(persistent_),
      shown_(persistent_) {}

float RasterForm::Width() { return widthTwips_; }

PictureHandle RasterForm::Picture() {
    // Any non-zero value will do as the handle of the one picture a form has.
    return static_cast<PictureHandle>(hasPicture_ ? 1U : 0U);
}

std::int16_t RasterForm::ScaleMode() { return scale_.Mode(); }

void RasterForm::SetScaleMode(std::int16_t mode) { scale_.SetMode(mode); }

bool RasterForm::AutoRedraw() { return autoRedraw_; }

void RasterForm::SetAutoRedraw(bool on) { autoRedraw_ = on; }

float RasterForm::ScaleWidth() { return scale_.FromPixels(width_); }

float RasterForm::ScaleHeight() { return scale_.FromPixels(height_); }

void RasterForm::SetFillColor(Colour colour) { fillColor_ = colour; }

void RasterForm::PaintSpans(Image& target, const std::vector<RowSpan>& spans, Colour colour, RECT& changed) {
    for (const RowSpan& span : spans) {
        if (span.y < 0 || span.y >= target.height) continue;
        const std::int32_t left = std::max(span.left, 0);
        const std::int32_t right = std::min(span.right, target.width);
        for (std::int32_t x = left; x < right; ++x) target.At(x, span.y) = colour;
        if (left < right) Include(changed, left, span.y, right, span.y + 1);
    }
}

void RasterForm::Circle(float x, float y, float radius, Colour colour) {
    const CircleSpans circle = CircleOf(Checked(scale_.ToPixels(x)), Checked(scale_.ToPixels(y)),
                                        Checked(scale_.ToPixels(radius)), density_);
    Image& target = autoRedraw_ ? persistent_ : surface_;
    RECT changed{};
    PaintSpans(target, circle.outline, colour, changed);
    PaintSpans(target, circle.inside, fillColor_, changed);
    // Drawing on the persistent image shows at once, as after a refresh.
    if (autoRedraw_) CopyArea(persistent_, surface_, changed);
    if (changed.left < changed.right) AddMerged(drawn_, changed);
}

RECT RasterForm::Differing(const RECT& area) const {
    RECT differing{};
    for (std::int32_t y = area.top; y < area.bottom; ++y)
        for (std::int32_t x = area.left; x < area.right; ++x)
            if (surface_.At(x, y) != shown_.At(x, y)) Include(differing, x, y, x + 1, y + 1);
    return differing;
}

bool RasterForm::ShowChanges() {
    // What the screen lost goes whole; of what was drawn, only what differs.
    std::vector<RECT> sent = std::move(lost_);
    lost_.clear();
    for (const RECT& area : sent) CopyArea(surface_, shown_, area);
    for (const RECT& area : drawn_) {
        const RECT differing = Differing(area);
        if (differing.left >= differing.right) continue;
        CopyArea(surface_, shown_, differing);
        sent.push_back(differing);
    }
    drawn_.clear();
    for (const RECT& area : sent) Present(shown_, area);
    return !sent.empty();
}

Colour RasterForm::Point(float x, float y) {
    const std::int32_t px = RoundToInt32(scale_.ToPixels(x));
    const std::int32_t py = RoundToInt32(scale_.ToPixels(y));
    const Image& source = autoRedraw_ ? persistent_ : surface_;
    if (px < 0 || py < 0 || px >= width_ || py >= height_) return 0xFFFFFFFFU;  // outside the drawing area
    return source.At(px * density_, py * density_);
}

RECT RasterForm::RectAt(std::int32_t left, std::int32_t top) const {
    const auto edge = [](std::int32_t from, std::int32_t size) {
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{from} + size, std::numeric_limits<std::int32_t>::max()));
    };
    return {left, top, edge(left, width_), edge(top, height_)};
}

float RasterForm::InScale(std::int32_t screenPixels) const {
    return scale_.FromPixels(screenPixels) / static_cast<float>(density_);
}

void RasterForm::SetDensity(std::int32_t density) {
    density = std::max(density, 1);
    if (density == density_) return;
    persistent_ = Rescaled(persistent_, density_, density);
    surface_ = shown_ = persistent_;
    density_ = density;
    drawn_.clear();
    lost_.clear();
    RepaintFromPersistentImage();
}

void RasterForm::RepaintFromPersistentImage() { RepaintFromPersistentImage({0, 0, surface_.width, surface_.height}); }

void RasterForm::RepaintFromPersistentImage(const RECT& area) {
    const RECT clipped{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, surface_.width),
                       std::min(area.bottom, surface_.height)};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return;
    CopyArea(persistent_, surface_, clipped);
    AddMerged(lost_, clipped);
}

}  // namespace platform
