// SkinForm: turns a borderless top-level window into a skinned form. It subclasses the window,
// owns the form's two off-screen buffers (screen: the composed picture; background: the skin
// alone) and its FormRecord, paints the skin, the caption (icon, title, caption buttons) and a
// rounded frame, clips the window to a rounded region, fades a new skin in, lets the user drag
// the window by any empty spot (once the pointer moves past the system's drag distance, so a
// click or double-click there stays one) and (unless fixed-size) size it by its edges, and
// routes input to the widgets living on the window (through its WidgetRouter).
//
// The form knows its window's DPI (Record().scale): every measure of the caption, the frame,
// the region and the edges is a 96-dpi design value scaled by it, the skin picture is drawn at
// that scale (the picture's pixels are 96-dpi units), and WM_DPICHANGED (the window moved to a
// monitor of another DPI) resizes the window to the system's suggested rectangle, has every
// widget place itself and make its font again for the new DPI, and composes everything anew.
//
// One SkinForm serves one window at a time, from Attach until the window's WM_DESTROY (or the
// SkinForm's destruction, which detaches it). Not copyable or movable: the tables and the
// window hold its address.
//
// Implementation: skin_form.cpp (attaching, the window's messages, sizing and dragging),
// skin_compose.cpp (composing a skin, the region, the fade), skin_caption.cpp (caption buttons,
// icon, title and frame).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/canvas.h"
#include "widgets/gdi_handles.h"
#include "widgets/gradient_picture.h"
#include "widgets/picture.h"
#include "widgets/widget_router.h"
#include "widgets/widget_tables.h"

class SysButton;

struct SkinFormOptions {
    // 0 no caption; 1 icon and title; 2 minimise, maximise/restore and close; 3 the same with
    // close disabled; 4 close only; 5 close only, disabled; above 5 as 4.
    int captionMode = 2;
    // -1: opaque. 0..255: the whole window is shown with this constant alpha (a layered window).
    int opacity = -1;
    int backgroundMode = 0;  // 0 natural size with faded edges, 1 stretched, 2 colour only
    int widgetFade = 0;      // non-zero: widgets fade their look changes in
    int fixedSize = 0;       // non-zero: the edges do not size the window
};

class SkinForm {
public:
    static constexpr wchar_t kFormProperty[] = L"zentori.skinform";

    // The form attached to `window`; nullptr when none is.
    static SkinForm* FromWindow(HWND window);

    SkinForm();
    SkinForm(const SkinForm&) = delete;
    SkinForm& operator=(const SkinForm&) = delete;
    ~SkinForm();

    // Subclasses `window`, builds the buffers and caption buttons and shows the skin at
    // `skinPath` (GBK) without a fade: `decodedSkin` when given (that file decoded already, see
    // PicturePreload), else the file read now. False when the window is not a window, already
    // has a form, or the buffers cannot be made (nothing is left attached then).
    bool Attach(HWND window, std::string_view skinPath, const SkinFormOptions& options = {},
                std::optional<Picture> decodedSkin = std::nullopt);
    // The subclass procedure: the form's handling, then always the previous procedure.
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Loads a skin picture and repaints the form; fade non-zero blends it in over 400 ms.
    // A missing or undecodable picture leaves only the background colour. False when the form
    // is not attached.
    bool SetSkin(std::string_view path, int fade);
    // The same with the picture at `path` decoded already.
    bool SetSkin(std::string_view path, Picture decoded, int fade);
    void DrawBorder();
    void DrawCaption(HWND window, int fade, bool reverse);
    // WM_PAINT to every visible widget of the form inside the window (flag 1: the background
    // changed, the form presents), or to one widget.
    void PaintWidgets(LPARAM flag);
    void PaintWidget(int widgetId, LPARAM flag);

    // A translucent colour composed over the skin in `rect` (client pixels), for a widget whose
    // backdrop is the skin under a tint (the list): it erases from the background buffer rather
    // than from a copy of its own. One per widget id; an empty rect removes it; backdrops do not
    // overlap. The background under the old and new rectangles is composed again at once.
    void SetBackdrop(int widgetId, const RECT& rect, ARGB tint);

    int BackgroundMode() const { return record_.backgroundMode; }
    // Sets the mode and shows the current skin again when it differs; returns the mode.
    int BackgroundMode(int mode);
    int WidgetFade() const { return record_.widgetFade; }
    int WidgetFade(int flag);

    // The widget that hears the window's keys while the window has the keyboard focus (see
    // WidgetRouter); pressing a widget that takes keys makes it the key widget too.
    void SetKeyWidget(int widgetId);
    // The focus widget (the focusable widget last pressed, which keeps a selected look) drops
    // that look when it is `widgetId`: what it selected is no longer shown.
    void DropFocusWidget(int widgetId);

    void SetEnterHandler(WidgetRouter::Notify handler);
    void SetLeaveHandler(WidgetRouter::Notify handler);

    // --- State, for the application and the tests.
    bool Attached() const { return attached_; }
    HWND Window() const { return window_; }
    int Width() const { return width_; }  // pixels, as Height
    const DisplayScale& Scale() const { return record_.scale; }
    int Height() const { return height_; }
    int FormPosition() const { return FindForm(window_); }
    COLORREF CaptionColour() const { return captionColour_; }
    const std::string& CurrentSkinPath() const { return skinPath_; }
    int FadeAlpha() const { return fadeAlpha_; }  // 0 when no fade runs
    const FormRecord& Record() const { return record_; }
    const Canvas& ScreenBuffer() const { return screen_; }
    const Canvas& BackgroundBuffer() const { return background_; }
    const WidgetRouter& Router() const { return router_; }
    int CaptionButtonCount() const { return static_cast<int>(captionButtons_.size()); }
    const SysButton* CaptionButton(int number) const;  // 1 close, 2 maximise, 3 minimise

private:
    static constexpr int kCaptionHeight = 22;

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool InitForm(HWND window, std::optional<Picture> decodedSkin);
    // New buffers of width x height holding the old ones' pixels; false (the old ones stay)
    // when they cannot be made.
    bool MakeBuffers(int width, int height);
    void GrowBuffers(int width, int height);
    void CreateCaptionButtons(HWND window);
    // The caption-button strip for the form's scale, in the window property the buttons read.
    void LoadCaptionStrip(HWND window);
    void MakeTitleFont();
    void OnDpiChanged(HWND window, int dpi, const RECT* suggested);
    int Px(int design) const { return record_.scale.Px(design); }
    void OnPaint(HWND window);
    void OnDestroy(HWND window);
    void OnSize(HWND window, int width, int height);
    void OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnBareForm(HWND window, UINT message, LPARAM point);
    // While a press on the bare form may still become a window drag: true when the message was
    // the drag's (the pointer moving with the button held).
    bool FollowPress(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ForgetPress(HWND window);
    void OnTimer(HWND window, UINT_PTR timerId);
    void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam);
    void OnDoubleClick(HWND window, LPARAM point);
    void OnMinMaxInfo(LPARAM lParam);
    void UpdateWindowRect();
    int EdgeAt(LPARAM point) const;
    // Composes the current skin into the buffers and shows it (fade: blended in).
    void ShowSkin(int fade);
    void ApplyRegion();
    // Composes the skin into `area` of the background buffer.
    void ComposeBackground(const RECT& area);
    void ComposeArea(GpGraphics* graphics, const RECT& area, bool hasImage);
    // A form the user cannot size composes its skin again only for a new DPI or background
    // mode: until then the decoded picture is let go (its file's bytes stay, to decode again).
    void SettleSkin();
    struct Backdrop {
        int widgetId = 0;
        RECT rect{};
        ARGB tint = 0;
    };
    // Blends the backdrop's tint over the background buffer where its rectangle meets `area`.
    void TintBackdrop(const Backdrop& backdrop, const RECT& area);
    void ChooseCaptionColour();
    void DrawBorderLines(GpGraphics* graphics) const;
    void MakeBorderStrips();
    void StepFade(HWND window);
    void DrawTitle(HWND window);
    RECT TitleArea() const;
    bool DrawThemedTitle(HWND window, const std::wstring& title);
    void PresentAll(int alpha);
    void Unsubclass();

    HWND window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    // The part of the background buffer that holds the composed skin, from its top-left.
    int composedWidth_ = 0;
    int composedHeight_ = 0;
    bool maximisable_ = false;
    bool minimisable_ = false;
    int captionMode_ = 2;
    int opacity_ = -1;
    bool fixedSize_ = false;
    bool attached_ = false;
    WNDPROC previous_ = nullptr;

    FormRecord record_;
    WindowDc windowDc_;
    // Both of the window's size at first; the first time the window grows past them they grow
    // to the largest size the window can take (see GrowBuffers).
    Canvas screen_;
    Canvas background_;
    PlatePictures plates_;
    GradientPicture fadePictures_[2];  // the picture's right and bottom ends
    WidgetRouter router_;
    std::vector<Backdrop> backdrops_;
    Picture skin_;  // the current skin, decoded per SetSkin (and again when needed, see SettleSkin)
    Picture buttonStrip_;
    UniqueFont titleFont_;  // DefaultFont's size for the form's scale; none at 96 dpi
    std::vector<std::unique_ptr<SysButton>> captionButtons_;
    COLORREF captionColour_ = 0x000000;
    // The frame's top, bottom, left and right strips for a window of borderWidth_ x
    // borderHeight_; no pictures: the frame is drawn directly.
    struct BorderStrip {
        RECT place{};
        Canvas picture;
    };
    BorderStrip borderStrips_[4];
    int borderWidth_ = 0;
    int borderHeight_ = 0;
    // Where the left button went down on the bare form (client point), while it is held and the
    // pointer has not yet moved past the system's drag distance.
    std::optional<POINT> pressPoint_;
    // The window's size and DPI when its rounded region was last set.
    struct RegionShape {
        int width = 0, height = 0, dpi = 0;
        bool operator==(const RegionShape&) const = default;
    };
    RegionShape regionShape_;
    std::string skinPath_;
    int fadeAlpha_ = 0;
};

// What screen readers see of a form (defined with the accessible objects, widgets/accessible.cpp).
// WM_GETOBJECT on a skinned form window: the object's LresultFromObject value, or 0 for an object
// id that is not ours (pass the message on to DefWindowProc then).
LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId);
// MsgAccessibleAction: the application's action when it gave one (FormWidget::SetDefaultAction),
// else, for the widget itself, a click as the mouse makes it.
void RunDefaultAction(WidgetRouter& router, HWND window, int widgetId, int item);
