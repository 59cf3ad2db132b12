// SkinForm, part 2: composing a skin picture into the background buffer (natural size with
// faded edges, stretched, or the colour alone), the caption colour it asks for, the window's
// rounded region, and the fade that blends a new skin in.
#include "widgets/skin_form.h"

#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "widgets/artwork.h"
#include "widgets/drawing.h"
#include "widgets/form_surface.h"

namespace {

constexpr int kSkinSampleInset = 50;      // background colour: this far in from bottom-right
constexpr float kSkinFadeLength96 = 100;  // the skin blends into it over its last pixels
constexpr int kTitleSampleY = 10;
constexpr int kTitleSampleInset = 10;
constexpr int kRegionCorner = 5;

// Skin fade: steps of 85 every 100 ms, then an opaque copy.
constexpr UINT kSkinFadeMilliseconds = 100;
constexpr int kSkinFadeStep = 85;

}  // namespace

bool SkinForm::SetSkin(std::string_view path, int fade) {
    if (!attached_ || !background_) return false;
    skin_.Release();  // before the new one is decoded: never two large pictures at once
    Picture decoded;
    decoded.LoadFromFile(path);
    return SetSkin(path, std::move(decoded), fade);
}

bool SkinForm::SetSkin(std::string_view path, Picture decoded, int fade) {
    if (!attached_ || !background_) return false;
    skin_ = std::move(decoded);
    skinPath_.assign(path);
    ShowSkin(fade);
    // Loading and decoding left memory behind that the program will not touch again.
    EmptyWorkingSet(GetCurrentProcess());
    return true;
}

void SkinForm::ShowSkin(int fade) {
    if (!attached_ || !background_) return;
    ComposeBackground(MakeRect(0, 0, width_, height_));
    composedWidth_ = width_;
    composedHeight_ = height_;
    RestoreBackground(record_, MakeRect(0, 0, width_, height_));
    ChooseCaptionColour();
    SettleSkin();
    PaintWidgets(1);
    DrawCaption(window_, fade, false);
    DrawBorder();
    ApplyRegion();
    if (fade) {
        SetTimer(window_, kSkinFadeTimerId, kSkinFadeMilliseconds, nullptr);
    } else {
        PresentAll(255);
    }
}

void SkinForm::SettleSkin() {
    if (fixedSize_) skin_.Unload();
}

void SkinForm::ComposeBackground(const RECT& area) {
    // A picture resampled for another scale (the window has moved to another display since) is
    // decoded again.
    if (!skin_.PixelScale().IsDesign() && skin_.PixelScale() != record_.scale) skin_.Unload();
    skin_.Reload();
    const Picture& skin = skin_;
    const int width = skin.GetWidth(), height = skin.GetHeight();
    const bool hasImage = width > 0 && height > 0;
    if (hasImage) {
        // Pictures smaller than the inset are sampled at their nearest pixel.
        const int inset = skin.PixelScale().Px(kSkinSampleInset);
        const int x = std::clamp(width - inset, 0, width - 1);
        const int y = std::clamp(height - inset, 0, height - 1);
        const ARGB sample = skin.GetPixel(x, y);
        if (sample >> 24) record_.backgroundColour = ArgbToColorref(sample);
    }
    // Only `area` is composed: the window grows over the rest of the buffer later, if ever, and
    // a large picture costs by the pixels drawn.
    GpGraphics* graphics = background_.Graphics();
    GdipSetClipRectI(graphics, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     Gdiplus::CombineModeReplace);
    ComposeArea(graphics, area, hasImage);
    for (const Backdrop& backdrop : backdrops_)
        TintBackdrop(backdrop, area);
    ResetClip(graphics);
}

void SkinForm::SetBackdrop(int widgetId, const RECT& rect, ARGB tint) {
    const auto found = std::find_if(backdrops_.begin(), backdrops_.end(),
                                    [&](const Backdrop& b) { return b.widgetId == widgetId; });
    const bool wanted = !IsRectEmpty(&rect);
    if (found != backdrops_.end() && wanted && EqualRect(&found->rect, &rect) &&
        found->tint == tint) {
        return;
    }
    std::optional<RECT> old;
    if (found != backdrops_.end()) {
        old = found->rect;
        backdrops_.erase(found);
    }
    if (wanted) backdrops_.push_back({widgetId, rect, tint});
    if (!attached_ || !background_) return;
    if (old) {
        // The skin again where the old one lay, with what lies there now.
        RECT area = *old;
        if (wanted) UnionRect(&area, &*old, &rect);
        ComposeBackground(area);
        SettleSkin();
    } else if (wanted) {
        // The background there is the skin alone (backdrops do not overlap): tinted in place.
        TintBackdrop(backdrops_.back(), rect);
    }
}

void SkinForm::TintBackdrop(const Backdrop& backdrop, const RECT& area) {
    // GDI+ under Wine fills a translucent rectangle by filling a buffer of its size pixel by
    // pixel and blending that buffer: a list-sized backdrop took 6-7 ms at 150 %. The tint is
    // blended into the background's pixels here, as AlphaBlend blends a premultiplied colour.
    RECT r{};
    const RECT all{0, 0, background_.Width(), background_.Height()};
    const unsigned alpha = backdrop.tint >> 24;
    if (alpha == 0 || !IntersectRect(&r, &backdrop.rect, &area) || !IntersectRect(&r, &r, &all)) {
        return;
    }
    const auto premultiplied = [alpha](ARGB value, int shift) {
        return ((value >> shift & 255) * alpha + 127) / 255 << shift;
    };
    const std::uint32_t tint = alpha << 24 | premultiplied(backdrop.tint, 16) |
                               premultiplied(backdrop.tint, 8) | premultiplied(backdrop.tint, 0);
    // What is left of each level under the tint, looked up rather than divided for each of a
    // list's half a million channels.
    const unsigned keep = 255 - alpha;
    std::array<std::uint32_t, 256> kept{};
    for (unsigned level = 0; level < kept.size(); ++level)
        kept[level] = (level * keep + 127) / 255;
    GdipFlush(background_.Graphics(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint32_t* row = background_.Row(y);
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t under = row[x];
            row[x] = tint + (kept[under & 255] | kept[under >> 8 & 255] << 8 |
                             kept[under >> 16 & 255] << 16 | kept[under >> 24] << 24);
        }
    }
}

void SkinForm::ComposeArea(GpGraphics* graphics, const RECT& area, bool hasImage) {
    const COLORREF colour = record_.backgroundColour;
    GpImage* image = skin_.GetHandle();
    if (!hasImage || record_.backgroundMode != 0) {
        GdipGraphicsClear(graphics, MakeArgb(colour));
        if (hasImage && record_.backgroundMode == 1) {
            GdipDrawImageRect(graphics, image, 0, 0, static_cast<float>(width_),
                              static_cast<float>(height_));
        }
        return;
    }
    // The picture's pixels are 96-dpi units: at another scale it is drawn that much larger (or
    // smaller), resampled smoothly; at 96 dpi, or resampled for this scale already, pixel for
    // pixel.
    const DisplayScale& scale = record_.scale;
    const bool oneToOne = skin_.PixelScale() == scale;
    const int width = oneToOne ? skin_.GetWidth() : scale.Px(skin_.GetWidth());
    const int height = oneToOne ? skin_.GetHeight() : scale.Px(skin_.GetHeight());
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // The picture at its natural size, from the part of it that lies in the area.
    RECT shown{};
    const RECT picture{0, 0, width, height};
    const bool inArea = IntersectRect(&shown, &picture, &area);
    const int shownWidth = shown.right - shown.left, shownHeight = shown.bottom - shown.top;
    // Under an opaque picture the colour would only be painted over: filling a window's pixels
    // costs as much as a third of a skin change at 200 %.
    const bool covered = inArea && skin_.Opaque();
    if (covered) {
        GdipSetClipRectI(graphics, shown.left, shown.top, shownWidth, shownHeight,
                         Gdiplus::CombineModeExclude);
    }
    GdipGraphicsClear(graphics, MakeArgb(colour));
    if (covered) {
        GdipSetClipRectI(graphics, area.left, area.top, area.right - area.left,
                         area.bottom - area.top, Gdiplus::CombineModeReplace);
    }
    if (inArea) {
        // A photograph is written into the pixels, far cheaper than GDI+ at this size (a quarter
        // of the time even pixel for pixel); a picture with transparency is blended by GDI+.
        const bool drawn = DrawPhoto(background_, skin_, shown, width, height);
        if (!drawn && oneToOne) {
            GdipDrawImageRectRectI(graphics, image, shown.left, shown.top, shownWidth, shownHeight,
                                   shown.left, shown.top, shownWidth, shownHeight,
                                   Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        } else if (!drawn) {
            const float toImage = static_cast<float>(skin_.GetWidth()) / w;
            const float toImageY = static_cast<float>(skin_.GetHeight()) / h;
            DrawImageSharp(graphics, image,
                           RectF(static_cast<float>(shown.left), static_cast<float>(shown.top),
                                 static_cast<float>(shownWidth), static_cast<float>(shownHeight)),
                           RectF(shown.left * toImage, shown.top * toImageY, shownWidth * toImage,
                                 shownHeight * toImageY));
        }
    }
    const float fadeLength = scale.Px(kSkinFadeLength96);
    // The right and bottom ends blend into the background colour.
    const RectF fades[] = {RectF(w - fadeLength, 0, fadeLength, h),
                           RectF(0, h - fadeLength, w, fadeLength)};
    const RectF composed(static_cast<float>(area.left), static_cast<float>(area.top),
                         static_cast<float>(area.right - area.left),
                         static_cast<float>(area.bottom - area.top));
    // Only the part of a fade inside the area is filled (the gradient is anchored to the
    // picture, so a part of it gives the same pixels). The right end fades across (mode 0), the
    // bottom down (mode 1).
    for (int mode = 0; mode < 2; ++mode) {
        RectF part;
        if (!RectF::Intersect(part, fades[mode], composed)) continue;
        fadePictures_[mode].Paint(background_.Dc(), graphics, fades[mode], colour, 0, 255, mode,
                                  &part);
    }
}

void SkinForm::ChooseCaptionColour() {
    const Picture& skin = skin_;
    // The title is white when the top row of the picture is dark at all three samples. A sample
    // outside the picture takes the background colour, which is what shows there.
    const int width = skin.GetWidth(), height = skin.GetHeight();
    bool anyLight = false;
    // Picture pixels are 96-dpi units: the samples lie under the same places at any scale.
    const int designWidth = record_.scale.Design(width_);
    for (int x : {kTitleSampleInset, designWidth / 2, designWidth - kTitleSampleInset}) {
        const bool inside = x >= 0 && x < width && kTitleSampleY < height;
        const ARGB sample =
            inside ? skin.GetPixel(x, kTitleSampleY) : MakeArgb(record_.backgroundColour);
        anyLight = anyLight || IsLightColour(sample);
    }
    captionColour_ = anyLight ? 0x000000 : 0xFFFFFF;
}

int SkinForm::BackgroundMode(int mode) {
    if (mode != record_.backgroundMode) {
        record_.backgroundMode = mode;
        ShowSkin(0);
    }
    return record_.backgroundMode;
}

int SkinForm::WidgetFade(int flag) {
    record_.widgetFade = flag;
    return record_.widgetFade;
}

void SkinForm::ApplyRegion() {
    // The same region again would only cost the window system a reshape (a new skin).
    const RegionShape shape{width_, height_, record_.scale.Dpi()};
    RECT box{};
    if (shape == regionShape_ && GetWindowRgnBox(window_, &box) != ERROR) return;
    regionShape_ = shape;
    UniqueRegion region(CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1,
                                           record_.scale.Px(kRegionCorner),
                                           record_.scale.Px(kRegionCorner)));
    // On success the window owns the region.
    if (region && SetWindowRgn(window_, region.get(), FALSE)) region.release();
}

void SkinForm::PresentAll(int alpha) {
    PresentRect(record_, MakeRect(0, 0, width_, height_), alpha);
}

void SkinForm::StepFade(HWND window) {
    if (fadeAlpha_ < 255) {
        fadeAlpha_ = std::min(fadeAlpha_ + kSkinFadeStep, 255);
        PresentAll(fadeAlpha_);
        return;
    }
    KillTimer(window, kSkinFadeTimerId);
    fadeAlpha_ = 0;
    PresentAll(255);
}
