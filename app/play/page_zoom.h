// PageZoom: the zoom of the game's page, in percent. The player steps it with Ctrl+wheel,
// Ctrl+= (Ctrl++, numpad +), Ctrl+- and Ctrl+0; the browser control draws the page larger or
// smaller through its optical zoom. A page the control loads anew starts at 100 %, so the zoom
// is given to each top-level page again once it has loaded (DocumentComplete, through an event
// sink of its own on the control, beside the host's).
//
// Owned by the game window, attached to its browser while it exists. The owner of the game
// says which zoom the game starts at (SetPercent) and hears of each change the player makes, to
// remember it. Window thread only.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <wrl/client.h>

#include <functional>
#include <optional>
#include <string>

class PageZoom {
public:
    enum class Step { kIn, kOut, kReset };
    static constexpr int kNormal = 100;  // percent: the page as it comes
    // Percent, smallest first; kNormal is among them.
    static constexpr int kSteps[] = {25,  33,  50,  67,  75,  80,  90,  100,
                                     110, 125, 150, 175, 200, 250, 300, 400};

    // GBK: what the player is told of a change, "缩放 " n "%"; and that the control cannot zoom.
    static const char kZoomText[];
    static const char kUnsupportedText[];

    // Tells the player (GBK); `failed`: the control could not show the zoom.
    using Report = std::function<void(const std::string& text, bool failed)>;
    using ChangeHandler = std::function<void(int percent)>;

    PageZoom();
    PageZoom(const PageZoom&) = delete;
    PageZoom& operator=(const PageZoom&) = delete;
    ~PageZoom();

    // The step after `percent` (one of kSteps or anything between them).
    static int Next(int percent, Step step);
    // A message of the message loop for the game: a zoom key changes the zoom (Change), and so
    // does each notch of the wheel turned with Ctrl held (less than a notch adds up until it
    // makes one). True when the message was either, so that the control's own zoom never sees
    // it.
    bool TranslateMessage(const MSG& message);

    // Follows `browser` (nullptr: none) and its pages.
    void Attach(IWebBrowser2* browser);
    void Detach() { Attach(nullptr); }

    int Percent() const { return percent_; }
    // The zoom the game starts at; the page takes it now if it can, else once it has loaded.
    void SetPercent(int percent);
    // The player's command: the next step, shown on the page, reported and passed to the
    // change handler. The zoom is kept even where the control cannot show it (no engine), so
    // it holds wherever the page can be zoomed.
    void Change(Step step);

    void SetReport(Report report) { report_ = std::move(report); }
    void SetChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }

    // The DWebBrowserEvents2 sink the control calls; tests invoke it directly. nullptr while
    // not attached.
    IDispatch* EventSink() const;
    // Whether the sink is advised on the control's connection point.
    bool EventsConnected() const { return cookie_ != 0; }

private:
    class Sink;

    // The top-level page has loaded: it takes the zoom (telling the player when the control
    // cannot show a zoom other than kNormal).
    void OnPageLoaded(IDispatch* frame);
    bool Apply() const;
    std::optional<Step> StepFor(const MSG& message);

    int percent_ = kNormal;
    int wheel_ = 0;  // wheel travel with Ctrl held that has not yet made a notch
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    Microsoft::WRL::ComPtr<Sink> sink_;
    Microsoft::WRL::ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
    Report report_;
    ChangeHandler onChange_;
};
