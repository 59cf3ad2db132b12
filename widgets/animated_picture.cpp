#include "widgets/animated_picture.h"

#include <algorithm>
#include <system_error>

FrameClock::FrameClock() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

FrameClock::~FrameClock() {
    Stop();
    if (stop_) CloseHandle(stop_);
}

bool FrameClock::Start(HWND window, int widgetId, int frameCount) {
    if (Running() || !stop_ || !ResetEvent(stop_)) return false;
    try {
        thread_ = std::thread(Run, window, widgetId, std::max(frameCount, 1), stop_);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void FrameClock::Stop() {
    if (!Running()) return;
    SetEvent(stop_);
    thread_.join();
}

void FrameClock::Run(HWND window, int widgetId, int frameCount, HANDLE stop) {
    // Never SendMessage from here: the window thread may be waiting for this thread to end.
    for (int frame = 0;; frame = (frame + 1) % frameCount) {
        PostMessageW(window, MsgWidgetPost, static_cast<WPARAM>(widgetId), frame);
        if (WaitForSingleObject(stop, kFrameMilliseconds) != WAIT_TIMEOUT) return;
    }
}

int AnimatedPicture::Create(HWND parent, int x, int y, int width, int height,
                            std::string_view imageBytes, bool playing, bool visible) {
    Stop();
    picture_.Release();
    if (!imageBytes.empty()) picture_.LoadFromBytes(imageBytes);
    frameCount_ = picture_.GetFrameCount();
    frame_ = 0;
    playing_ = playing;
    // While playing, the first frame comes from the clock (the paint request is ignored).
    const int id = Register({parent, x, y, width, height, visible, false, kKindAnimatedPicture});
    if (playing_ && id && !clock_.Start(parent, id, frameCount_)) playing_ = false;
    return id;
}

bool AnimatedPicture::Playing(bool value) {
    if (value == playing_) return playing_;
    if (!value) {
        Stop();
        return playing_;
    }
    // Without a registered widget there is nobody to post frames to.
    if (GetId() && Parent() && clock_.Start(Parent(), GetId(), frameCount_)) playing_ = true;
    return playing_;
}

void AnimatedPicture::Stop() {
    clock_.Stop();
    playing_ = false;
}

bool AnimatedPicture::Paint(FormRecord& form, UINT message, LPARAM) {
    // While playing the clock's frames are the only drawing.
    if (message != WM_PAINT || playing_) return false;
    DrawFrame(form);
    return true;
}

void AnimatedPicture::OnPost(HWND window, LPARAM payload) {
    if (payload < 0 || payload >= std::max(frameCount_, 1)) {
        LookWidget::OnPost(window, payload);
        return;
    }
    // A frame posted before the clock was stopped arrives late: drop it.
    if (!playing_) return;
    FormRecord* form = Form();
    if (!form) return;
    frame_ = static_cast<int>(payload);
    // A one-frame picture has nothing to select (and a still image no time dimension).
    if (frameCount_ > 1) picture_.SelectFrame(frame_);
    DrawFrame(*form);
    Present(*form);
}

void AnimatedPicture::OnDestroy() {
    Stop();
    frame_ = 0;
    frameCount_ = 0;
    picture_.Release();
}

void AnimatedPicture::DrawFrame(FormRecord& form) {
    RestoreBackground(form);
    GpImage* image = picture_.GetHandle();
    if (!image) return;
    const Bounds& bounds = GetBounds();
    GdipDrawImageRectRect(form.ScreenGraphics(), image, bounds.X, bounds.Y, bounds.Width,
                          bounds.Height, 0, 0, static_cast<float>(picture_.GetWidth()),
                          static_cast<float>(picture_.GetHeight()), Gdiplus::UnitPixel, nullptr,
                          nullptr, nullptr);
}
