// SkinForm, part 3: the caption (caption buttons, icon and title) and the rounded frame, drawn
// into the screen buffer over the composed skin.
#include "widgets/skin_form.h"

#include <uxtheme.h>

#include <algorithm>

#include "widgets/caption_buttons.h"
#include "widgets/drawing.h"
#include "widgets/form_surface.h"

namespace {

constexpr int kCaptionButtonsWidth = 98;  // right end of the caption left to the buttons
constexpr int kTitleAlpha = 240;
constexpr int kTitleFlags = 0x1000;

// Themed glow caption (UxTheme "TextStyle", part TEXT_BODYTEXT).
constexpr int kThemeTextPart = 8;
constexpr int kThemeGlowSize = 4;
constexpr int kTitleFontPixels = 12;  // as DefaultFont

}  // namespace

void SkinForm::CreateCaptionButtons(HWND window) {
    captionButtons_.clear();
    struct Button {
        int kind;
        bool disabled;
    };
    std::vector<Button> buttons;
    if (captionMode_ == 2 || captionMode_ == 3) {
        buttons = {{kCaptionClose, captionMode_ == 3},
                   {kCaptionMaximise, !maximisable_},
                   {kCaptionMinimise, !minimisable_}};
    } else {
        buttons = {{kCaptionClose, captionMode_ == 5}};
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        auto button = std::make_unique<SysButton>();
        // Design values; every Relayout places the button in pixels from the right edge.
        button->Create(window, record_.scale.Design(SysButton::LeftFor(number, width_, Scale())),
                       SysButton::kTop, SysButton::WidthFor(number), SysButton::kHeight,
                       buttons[i].kind, buttons[i].disabled);
        captionButtons_.push_back(std::move(button));
    }
}

const SysButton* SkinForm::CaptionButton(int number) const {
    if (number < 1 || number > CaptionButtonCount()) return nullptr;
    return captionButtons_[number - 1].get();
}

void SkinForm::DrawBorder() {
    if (!attached_) return;
    if (width_ != borderWidth_ || height_ != borderHeight_) MakeBorderStrips();
    if (!borderStrips_[0].picture) {
        DrawBorderLines(record_.ScreenGraphics());
        return;
    }
    // GDI+ draws a translucent outline through a picture of its whole bounds, the window: the
    // frame's four strips, drawn once per size, are far cheaper to blend.
    GdipFlush(record_.ScreenGraphics(), Gdiplus::FlushIntentionSync);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (const BorderStrip& strip : borderStrips_) {
        const int width = strip.place.right - strip.place.left;
        const int height = strip.place.bottom - strip.place.top;
        AlphaBlend(record_.ScreenDc(), strip.place.left, strip.place.top, width, height,
                   strip.picture.Dc(), 0, 0, width, height, blend);
    }
}

void SkinForm::DrawBorderLines(GpGraphics* graphics) const {
    // Hairlines at every scale, the corners scaled with the region's.
    const float w = static_cast<float>(width_), h = static_cast<float>(height_);
    DrawRoundRect(graphics, RectF(0, 0, w, h), record_.scale.Px(6.0f), 0x000000, 120);
    DrawRoundRect(graphics, RectF(1, 1, w - 2, h - 2), record_.scale.Px(3.0f), 0xFFFFFF, 60);
}

void SkinForm::MakeBorderStrips() {
    borderWidth_ = width_;
    borderHeight_ = height_;
    for (BorderStrip& strip : borderStrips_)
        strip.picture.Reset();
    // The lines and the rounded corners lie within this many pixels of the edges.
    const int kBand = Px(8);
    const int w = width_, h = height_;
    if (w < 2 * kBand || h < 2 * kBand) return;  // drawn directly
    const RECT places[] = {{0, 0, w, kBand},
                           {0, h - kBand, w, h},
                           {0, kBand, kBand, h - kBand},
                           {w - kBand, kBand, w, h - kBand}};
    for (size_t i = 0; i < std::size(places); ++i) {
        BorderStrip& strip = borderStrips_[i];
        strip.place = places[i];
        const int width = strip.place.right - strip.place.left;
        const int height = strip.place.bottom - strip.place.top;
        // Premultiplied over transparency, so blending the strip gives what drawing the lines
        // over the pixels behind them gives.
        if (!strip.picture.Create(nullptr, width, height, true, Canvas::Drawing::kPremultiplied)) {
            for (BorderStrip& made : borderStrips_)
                made.picture.Reset();
            return;
        }
        GpGraphics* graphics = strip.picture.Graphics();
        GdipTranslateWorldTransform(graphics, static_cast<float>(-strip.place.left),
                                    static_cast<float>(-strip.place.top),
                                    Gdiplus::MatrixOrderPrepend);
        DrawBorderLines(graphics);
        GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    }
}

void SkinForm::DrawCaption(HWND window, int fade, bool reverse) {
    if (!attached_ || captionMode_ == 0) return;
    RestoreBackground(record_,
                      MakeRect(0, 0, width_ - Px(kCaptionButtonsWidth), Px(kCaptionHeight)));

    // Above 16 pixels the large icon is drawn down rather than the small one blown up.
    const int iconSize = Px(16);
    const bool large = iconSize > 16;
    auto icon =
        reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, large ? ICON_BIG : ICON_SMALL, 0));
    if (!icon) {
        icon = reinterpret_cast<HICON>(
            SendMessageW(window, WM_GETICON, large ? ICON_SMALL : ICON_BIG, 0));
    }
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    if (icon && screen_) {
        DrawIconEx(screen_.Dc(), Px(6), Px(6), icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }

    const int count = CaptionButtonCount();
    for (int i = 0; i < count; ++i) {
        const int number = reverse ? count - i : i + 1;
        captionButtons_[number - 1]->Relayout(window, number, width_, fade != 0);
    }
    DrawTitle(window);
}

void SkinForm::DrawTitle(HWND window) {
    std::wstring title(256, L'\0');
    title.resize(std::max(0, GetWindowTextW(window, title.data(), 256)));
    if (title.empty()) return;
    // The themed glow needs a theme (not under Wine); otherwise the toolkit's own glow.
    if (OsMajorVersion >= 6 && DrawThemedTitle(window, title)) return;
    TextStyle style;
    style.colour = captionColour_;
    style.alpha = kTitleAlpha;
    style.formatFlags = kTitleFlags;
    style.effect = kEffectGlow;
    style.font = titleFont_ ? titleFont_.get() : nullptr;
    const RECT area = TitleArea();
    PaintText(RectF(static_cast<float>(area.left), static_cast<float>(area.top),
                    static_cast<float>(area.right - area.left),
                    static_cast<float>(area.bottom - area.top)),
              record_.ScreenGraphics(), std::wstring_view(title), style);
}

RECT SkinForm::TitleArea() const {
    // (26, 5) to 125 pixels short of the right edge, 17 high, at 96 dpi.
    return RECT{Px(26), Px(5), width_ - Px(99), Px(22)};
}

bool SkinForm::DrawThemedTitle(HWND window, const std::wstring& title) {
    UniqueTheme theme(OpenThemeData(window, L"TextStyle"));
    if (!theme || !screen_) return false;
    const RECT place = TitleArea();
    const int width = place.right - place.left, height = place.bottom - place.top;
    Canvas text;
    if (width <= 0 || !text.Create(screen_.Dc(), width, height, true)) return false;
    BitBlt(text.Dc(), 0, 0, width, height, screen_.Dc(), place.left, place.top, SRCCOPY);
    // A text style without a font of its own draws in the DC's: the program's installed face,
    // as every other title and caption.
    LOGFONTW face{};
    face.lfHeight = -Px(kTitleFontPixels);
    face.lfCharSet = DEFAULT_CHARSET;
    DefaultFontFace().copy(face.lfFaceName, LF_FACESIZE - 1);
    UniqueFontGdi font(CreateFontIndirectW(&face));
    SelectGuard select(text.Dc(), font ? font.get() : GetStockObject(DEFAULT_GUI_FONT));
    RECT area{Px(4), 0, width_ - Px(99), Px(kCaptionHeight)};
    DTTOPTS options{};
    options.dwSize = sizeof(options);
    options.dwFlags = DTT_TEXTCOLOR | DTT_GLOWSIZE | DTT_COMPOSITED;
    options.crText = 0x000000;
    options.iGlowSize = kThemeGlowSize;
    DrawThemeTextEx(theme.get(), text.Dc(), kThemeTextPart, 0, title.c_str(), -1, DT_SINGLELINE,
                    &area, &options);
    BitBlt(screen_.Dc(), place.left, place.top, width, height, text.Dc(), 0, 0, SRCCOPY);
    return true;
}
