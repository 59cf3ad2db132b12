// AnimatedPicture: a windowless picture on a skinned form, scaled into its bounds. A
// multi-frame image (an animated GIF) can play, frames 0, 1, ..., count - 1, 0, ... at ten a
// second; the frame delays stored in the image are not used. The main window's logo is one.
//
// Threads: while playing, a FrameClock thread of the widget's own keeps time and posts each
// frame number to the form window (MsgWidgetPost); the window thread selects and draws the
// frame. So frame drawing never runs beside the form's other painting and takes no lock, and
// the clock thread touches neither the picture nor the form's buffers. Playing(false), the
// form's WM_DESTROY and the destructor stop the clock: they signal it and wait for its thread,
// which only waits and posts, so it ends at once. Everything else runs on the window thread.
//
// Registration, the message rules, Move, Disabled, the geometry getters and SetClickHandler are
// the skeleton's (LookWidget).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "widgets/form_widget.h"
#include "widgets/picture.h"

// Posts frame numbers to a widget on a form window every 100 ms from a thread of its own,
// starting with frame 0 at once, until stopped. Owns the thread and its stop event.
//
// Each run of a clock has a generation of its own, unique in the process, carried by every
// frame it posts: frames a stopped run left in the queue (of this clock, or of a dead widget's
// clock whose id a new widget took over) are told apart from the running one's.
class FrameClock {
public:
    static constexpr DWORD kFrameMilliseconds = 100;

    // A frame post's payload: generation and frame number. Never negative, so never a
    // kPostRepaint.
    struct Frame {
        std::uint32_t generation;
        int number;
    };
    static LPARAM Pack(Frame frame);
    // False for a payload that is no frame post.
    static bool Unpack(LPARAM payload, Frame& frame);

    FrameClock();
    FrameClock(const FrameClock&) = delete;
    FrameClock& operator=(const FrameClock&) = delete;
    ~FrameClock();  // stops the thread

    // Starts a new run posting MsgWidgetPost (wParam widgetId, lParam a packed Frame, cycling
    // through frameCount frames; fewer than 1 counts as 1) to `window`. False when already
    // running or when the thread cannot be started.
    bool Start(HWND window, int widgetId, int frameCount);
    // Signals the thread and waits for it to end; nothing when not running.
    void Stop();
    bool Running() const { return thread_.joinable(); }
    // The generation of the current (or last) run; 0 before the first.
    std::uint32_t Generation() const { return generation_; }

private:
    static void Run(HWND window, int widgetId, int frameCount, std::uint32_t generation,
                    HANDLE stop);

    HANDLE stop_ = nullptr;  // owned manual-reset event: set while stopping
    std::uint32_t generation_ = 0;
    std::thread thread_;
};

class AnimatedPicture : public LookWidget {
public:
    // Registers the picture on `parent` (a window with an attached SkinForm), decoding
    // `imageBytes` (an undecodable picture shows nothing), draws frame 0 when visible and not
    // playing, and starts playing when asked. Returns the widget id, 0 when it could not be
    // registered.
    int Create(HWND parent, int x, int y, int width, int height, std::string_view imageBytes,
               bool playing = false, bool visible = true);
    // The same from artwork made at several sizes (artwork.h): `file1x` (GBK) is read at the
    // size for the form's scale, and again whenever that scale changes. `decoded`, when given,
    // is that file decoded already (at the form's scale).
    int CreateFromArtwork(HWND parent, int x, int y, int width, int height, std::string_view file1x,
                          bool playing = false, bool visible = true,
                          std::optional<Picture> decoded = std::nullopt);

    bool Playing() const { return playing_; }
    // Starts or stops the animation; returns the value now held. Stopping leaves the frame
    // shown last on the form; playing again starts from frame 0. Window thread only.
    bool Playing(bool value);

    int FrameCount() const { return frameCount_; }
    int CurrentFrame() const { return frame_; }  // the picture's selected frame

protected:
    AccessibleFacts OwnFacts() const override;
    bool Paint(FormRecord& form, UINT message, LPARAM lParam) override;
    void OnPost(HWND window, LPARAM payload) override;
    void OnDestroy() override;
    void OnScaleChanged() override;

private:
    void DrawFrame(FormRecord& form);
    void Stop();
    int RegisterPicture(const Placement& placement, bool playing);

    Picture picture_;
    std::string artworkFile_;  // GBK; empty when the picture was given as bytes
    int frameCount_ = 0;       // frames along the time dimension; 0 without picture
    int frame_ = 0;
    bool playing_ = false;
    FrameClock clock_;  // last: stopped before the picture goes
};
