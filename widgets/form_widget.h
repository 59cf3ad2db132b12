// The skeleton of every widget of a skinned form, in two layers.
//
// FormWidget: identity and placement, shared by all widgets (the list control included). It
// holds the form index, id, parent, bounds, visible flag and font; registers the widget; finds
// its form; moves it; repaints it from any thread; and keeps MsgAttach, MsgScaleChanged and
// WM_DESTROY's bookkeeping. Everything else a widget hears goes to OnMessage.
//
// Display scale: positions, sizes and font sizes given to Create and Move are 96-dpi design
// values; the widget keeps them and holds its bounds and font in pixels of its form's DPI
// (DisplayScale's edge rule). Its own drawing constants go through Scale() too.
//
// LookWidget: the small widgets (Label, TextButton, IconButton, AnimatedPicture, the caption
// buttons), each message showing one look. It adds the last message, disabled flag and click
// handler and applies the message rules (MsgClick, repeated messages, the wParam and disabled
// rules), restores, presents and fades the widget's rectangle. A derived widget supplies only
// its looks: Paint, and optionally FadeStart, OnClick, OnDestroy and OnPost.
//
// How a small widget is built:
//   class Badge : public LookWidget {
//   public:
//       int Create(HWND parent, int x, int y, int w, int h) {
//           return Register({parent, x, y, w, h, true, false, kKindLabel});
//       }
//   protected:
//       bool Paint(FormRecord& form, UINT message, LPARAM) override {
//           RestoreBackground(form);           // erase the old image
//           ...draw into form.ScreenGraphics() at GetBounds()...
//           return true;                       // the base presents (or fades) it
//       }
//   };
//
// Threads: Text (TextWidget) and Disabled may be called from any thread; off the window thread
// they post the repaint to the form window (MsgWidgetPost). Everything else runs on the window
// thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "widgets/accessible_facts.h"
#include "widgets/drawing.h"
#include "widgets/widget_tables.h"

// The font rule of Create: nothing given means DefaultFont; otherwise the widget makes its own
// font from the face (the system menu font's face when empty; the program's default face when
// this system lacks it), the size (12 pixels when not given) and the style (0 when not given),
// keeping DefaultFont when no font can be made at all. A widget's own font is deleted with the
// widget's WM_DESTROY (or the widget); DefaultFont never is.
struct FontChoice {
    std::string face;  // GBK
    std::optional<float> size;
    std::optional<int> style;  // GDI+ FontStyle bits: 1 bold, 2 italic, 4 underline, 8 strikeout

    bool Given() const { return !face.empty() || size || style; }
};

// MsgWidgetPost payload the skeleton answers with a repaint; derived widgets may use any other.
constexpr LPARAM kPostRepaint = -1;

class FormWidget : public Widget {
public:
    ~FormWidget() override;

    // The dispatcher's entry point: MsgAttach and WM_DESTROY's bookkeeping, then OnMessage.
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) final;

    int GetId() const { return id_; }
    float GetLeft() const { return bounds_.X; }
    float GetTop() const { return bounds_.Y; }
    float GetWidth() const { return bounds_.Width; }
    float GetHeight() const { return bounds_.Height; }
    const Bounds& GetBounds() const { return bounds_; }        // pixels
    const Bounds& GetDesignBounds() const { return design_; }  // 96-dpi units
    const DisplayScale& Scale() const { return scale_; }
    HWND Parent() const { return parent_; }
    int FormIndex() const { return formIndex_; }
    bool Visible() const { return visible_; }

    // --- What a screen reader hears of the widget (widgets/accessible.h): its own facts, with
    // the application's words where the widget cannot know them (a picture's name, the key
    // that presses a button), and the default action: a click, unless the application gives
    // another (item n of the widget's items, 0 the widget itself).
    AccessibleFacts Facts() const;
    void SetAccessibleName(std::string_view name) { accessibleName_ = name; }
    void SetAccessibleShortcut(std::string_view keys) { accessibleShortcut_ = keys; }
    void SetDefaultAction(std::string_view name, std::function<void(int item)> action);
    const std::string& DefaultActionName() const { return defaultActionName_; }
    const std::function<void(int item)>& DefaultAction() const { return defaultAction_; }
    virtual AccessibleItems* Items() { return nullptr; }

    // Moves and resizes (96-dpi design values): values not given stay. The old rectangle is
    // erased on the window too, then OnMoved draws the widget at its new place.
    void Move(std::optional<float> x, std::optional<float> y = std::nullopt,
              std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt);

protected:
    FormWidget() = default;

    struct Placement {
        HWND parent = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
        bool visible = true;
        bool focusable = false;
        WidgetKind kind = kKindLabel;
        bool disabled = false;
        bool takesKeys = false;
    };
    // The common tail of every Create: stores the bounds, registers the widget and calls
    // OnRegistered. Returns the id, 0 when registration failed. A widget is created once; a
    // second call returns the id it already has.
    int Register(const Placement& placement);

    // The scale of the form on `parent` (the window's own DPI when it has none): what Register
    // will take.
    static DisplayScale ScaleFor(HWND parent);
    // The font rule above, at the form's scale; call before Register.
    void UseFont(const FontChoice& choice);
    GpFont* Font() const { return font_; }

    // The parent form's record; nullptr before MsgAttach or after the form went away, so a
    // widget never draws with form index 0.
    FormRecord* Form() const;
    RECT BoundsRect() const;
    // WM_PAINT now on the window thread; posted to the form window from any other thread.
    void Repaint();
    // Writes new pixel bounds into the widget and its WidgetRecord (no drawing); the design
    // bounds stay.
    void StoreBounds(const Bounds& bounds);

    // Role, state and words of the widget alone (Facts adds the application's).
    virtual AccessibleFacts OwnFacts() const;

    // Every message but MsgAttach and WM_DESTROY.
    virtual LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Registration succeeded.
    virtual void OnRegistered(const Placement& /*placement*/) {}
    // WM_DESTROY of the form: release drawing resources (the font is the base's).
    virtual void OnDestroy() {}
    // After Move stored the new bounds; the default sends the widget WM_PAINT.
    virtual void OnMoved();
    // After the bounds and the font were made again for a new scale; drop what was drawn or
    // laid out for the old one. Draw nothing: the form repaints everything.
    virtual void OnScaleChanged() {}

private:
    void ReleaseFont();
    void MakeFont();
    void Rescale(const DisplayScale& scale);

    int formIndex_ = 0;
    int id_ = 0;
    HWND parent_ = nullptr;
    Bounds bounds_;  // pixels
    Bounds design_;  // 96-dpi units
    DisplayScale scale_;
    bool visible_ = true;
    FontChoice fontChoice_;
    GpFont* font_ = nullptr;          // own font or DefaultFont
    std::string accessibleName_;      // GBK; empty: the widget's own
    std::string accessibleShortcut_;  // GBK
    std::string defaultActionName_;   // GBK
    std::function<void(int item)> defaultAction_;
};

// One look of a push button (TextButton, IconButton): the plate and the caption's alpha.
struct ButtonLook {
    PlateLook plate;
    int captionAlpha;
};

class LookWidget : public FormWidget {
public:
    bool Disabled() const { return disabled_; }
    // Stores and repaints when the value changes; returns the value now held.
    bool Disabled(bool value);
    void SetClickHandler(std::function<void()> handler) { clickHandler_ = std::move(handler); }

protected:
    // Erases the widget's old image (screen buffer from background buffer). A fade still
    // running is first finished at once on the window, so every Paint starts with this.
    void RestoreBackground(const FormRecord& form);
    void Present(const FormRecord& form, int alpha = 255) const;

    // Draw the look for `message` into form's screen buffer, starting with RestoreBackground.
    // Return false (before drawing anything) when the message has no look: nothing is
    // presented and the message is not remembered as the last one. lParam is non-zero when the
    // whole form repaints after its background changed.
    virtual bool Paint(FormRecord& form, UINT message, LPARAM lParam) = 0;
    // The alpha a look change starts fading in at when the form fades widgets (stepping by 51
    // every 100 ms up to 255); 0 shows the look at once. Not asked for WM_PAINT.
    virtual int FadeStart(UINT /*message*/) const { return 0; }
    // MsgClick on an enabled widget; the default calls the click handler.
    virtual void OnClick(HWND window);
    // MsgWidgetPost; the default repaints on kPostRepaint.
    virtual void OnPost(HWND window, LPARAM payload);
    // MsgTimerTick of the widget's own timer; the default runs the fade.
    virtual void OnTimerTick(HWND window, UINT_PTR timerId);

    // The message rules, then Paint.
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) final;
    // Takes the disabled flag and, when visible, paints the widget at once.
    void OnRegistered(const Placement& placement) final;

private:
    void FlushFade(const FormRecord& form);
    void ShowLook(HWND window, const FormRecord& form, UINT message, LPARAM lParam);

    UINT lastMessage_ = 0;  // MsgLookNormal: so a first MsgLookNormal does not repaint
    std::atomic<bool> disabled_ = false;  // may be set from another thread
    int fadeAlpha_ = 0;  // 0 idle, -1 a running fade was cut short, else the last step's alpha
    std::function<void()> clickHandler_;
};

// A LookWidget with a text (Label, TextButton) that other threads may set.
class TextWidget : public LookWidget {
public:
    std::string Text() const;
    // Stores a copy, repaints, and returns the text now held.
    std::string Text(std::string_view text);

protected:
    void SetInitialText(std::string_view text);

private:
    mutable std::mutex textLock_;
    std::string text_;  // GBK
};
