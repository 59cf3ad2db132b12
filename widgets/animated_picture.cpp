#include "widgets/animated_picture.h"

#include "widgets/artwork.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace {

// Frame posts: bit 62 marks one, the generation sits above the frame number's 24 bits.
static_assert(sizeof(LPARAM) >= 8, "a frame post needs a 64-bit payload");
constexpr LPARAM kFrameTag = LPARAM{1} << 62;
constexpr int kFrameBits = 24;
constexpr int kMostFrames = 1 << kFrameBits;

std::uint32_t NextGeneration() {
    static std::atomic<std::uint32_t> last{0};
    return ++last;
}

}  // namespace

LPARAM FrameClock::Pack(Frame frame) {
    return kFrameTag | static_cast<LPARAM>(frame.generation) << kFrameBits |
           static_cast<LPARAM>(frame.number & (kMostFrames - 1));
}

bool FrameClock::Unpack(LPARAM payload, Frame& frame) {
    if (payload < 0 || !(payload & kFrameTag)) return false;
    frame.generation = static_cast<std::uint32_t>(payload >> kFrameBits);
    frame.number = static_cast<int>(payload & (kMostFrames - 1));
    return true;
}

FrameClock::FrameClock() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

FrameClock::~FrameClock() {
    Stop();
    if (stop_) CloseHandle(stop_);
}

bool FrameClock::Start(HWND window, int widgetId, int frameCount) {
    if (Running() || !stop_ || !ResetEvent(stop_)) return false;
    generation_ = NextGeneration();
    try {
        thread_ = std::thread(Run, window, widgetId, std::clamp(frameCount, 1, kMostFrames),
                              generation_, stop_);
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

void FrameClock::Run(HWND window, int widgetId, int frameCount, std::uint32_t generation,
                     HANDLE stop) {
    // Never SendMessage from here: the window thread may be waiting for this thread to end.
    for (int frame = 0;; frame = (frame + 1) % frameCount) {
        PostMessageW(window, MsgWidgetPost, static_cast<WPARAM>(widgetId),
                     Pack({generation, frame}));
        if (WaitForSingleObject(stop, kFrameMilliseconds) != WAIT_TIMEOUT) return;
    }
}

int AnimatedPicture::Create(HWND parent, int x, int y, int width, int height,
                            std::string_view imageBytes, bool playing, bool visible) {
    Stop();
    picture_.Release();
    artworkFile_.clear();
    if (!imageBytes.empty()) picture_.LoadFromBytes(imageBytes);
    return RegisterPicture({parent, x, y, width, height, visible, false, kKindAnimatedPicture},
                           playing);
}

int AnimatedPicture::CreateFromArtwork(HWND parent, int x, int y, int width, int height,
                                       std::string_view file1x, bool playing, bool visible,
                                       std::optional<Picture> decoded) {
    Stop();
    artworkFile_.assign(file1x);
    picture_ = decoded && decoded->GetHandle()
                   ? std::move(*decoded)
                   : std::move(LoadArtwork(artworkFile_, ScaleFor(parent)).picture);
    return RegisterPicture({parent, x, y, width, height, visible, false, kKindAnimatedPicture},
                           playing);
}

int AnimatedPicture::RegisterPicture(const Placement& placement, bool playing) {
    frameCount_ = picture_.GetFrameCount();
    frame_ = 0;
    playing_ = playing;
    // While playing, the first frame comes from the clock (the paint request is ignored).
    const int id = Register(placement);
    if (playing_ && id && !clock_.Start(placement.parent, id, frameCount_)) playing_ = false;
    return id;
}

void AnimatedPicture::OnScaleChanged() {
    if (artworkFile_.empty() || playing_) return;
    ArtworkPicture artwork = LoadArtwork(artworkFile_, Scale());
    if (!artwork.picture.GetHandle()) return;
    picture_ = std::move(artwork.picture);
    frameCount_ = picture_.GetFrameCount();
    frame_ = 0;
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
    FrameClock::Frame frame;
    if (!FrameClock::Unpack(payload, frame)) {
        LookWidget::OnPost(window, payload);
        return;
    }
    // A frame of a run that was stopped arrives late (it may even be a dead picture's that had
    // this id): drop it.
    if (!playing_ || frame.generation != clock_.Generation()) return;
    if (frame.number >= std::max(frameCount_, 1)) return;
    FormRecord* form = Form();
    if (!form) return;
    frame_ = frame.number;
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
    // A picture made for another size than its place is resampled with high quality.
    DrawImageSharp(form.ScreenGraphics(), image, bounds,
                   RectF(0, 0, static_cast<float>(picture_.GetWidth()),
                         static_cast<float>(picture_.GetHeight())));
}
