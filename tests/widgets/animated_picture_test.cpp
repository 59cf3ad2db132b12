// AnimatedPicture: stills and multi-frame pictures scaled into their bounds, frames in order at
// the clock's pace, paint requests while stopped and while playing, late frames after a stop,
// and stopping or destroying a playing picture, many times over, without hanging, crashing or
// leaving threads behind.
#include "widgets/animated_picture.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"

namespace {

using test::NearColour;
using test::TestForm;

constexpr COLORREF kFrameColours[] = {0x0000FF, 0x00FF00, 0xFF0000};  // red, green, blue
constexpr int kX = 50, kY = 50, kW = 100, kH = 60;
constexpr int kMiddleX = kX + kW / 2, kMiddleY = kY + kH / 2;
constexpr RECT kSpot{kX + 20, kY + 20, kX + 30, kY + 30};

void AppendWord(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

// LZW data of a GIF frame whose pixels all have colour index `index`, with 3-bit codes: a
// clear code before every two pixels keeps the code table (and so the code width) from
// growing.
std::string SolidLzw(int index, int pixels) {
    constexpr int kClear = 4, kEnd = 5;
    std::vector<int> codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0) codes.push_back(kClear);
        codes.push_back(index);
    }
    codes.push_back(kEnd);
    std::string bytes;
    unsigned bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<unsigned>(code) << count;
        count += 3;
        while (count >= 8) {
            bytes += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) bytes += static_cast<char>(bits & 0xFF);
    return bytes;
}

// A GIF of 8 x 8 frames, frame i all in kFrameColours[i] (at most three frames), each with a
// stored delay of a minute that the widget must not follow.
std::string ColourGif(int frames) {
    constexpr int kSide = 8;
    std::string gif = "GIF89a";
    AppendWord(gif, kSide);
    AppendWord(gif, kSide);
    gif += '\x81';  // a global colour table of four entries
    gif += '\0';
    gif += '\0';
    gif.append("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00", 12);
    for (int i = 0; i < frames; ++i) {
        gif.append("\x21\xF9\x04\x00", 4);  // graphic control extension
        AppendWord(gif, 6000);              // 60 s
        gif.append("\x00\x00", 2);
        gif += '\x2C';  // image descriptor: the whole screen
        AppendWord(gif, 0);
        AppendWord(gif, 0);
        AppendWord(gif, kSide);
        AppendWord(gif, kSide);
        gif += '\0';
        const std::string data = SolidLzw(i, kSide * kSide);
        gif += '\x02';  // minimum code size
        gif += static_cast<char>(data.size());
        gif += data;
        gif += '\0';
    }
    gif += '\x3B';
    return gif;
}

// Which of kFrameColours a pixel shows; -1 for none.
int FrameShown(COLORREF pixel) {
    for (int i = 0; i < 3; ++i) {
        if (NearColour(pixel, kFrameColours[i], 24)) return i;
    }
    return -1;
}

// Long enough for any frame the clock posts every 100 ms on a busy machine; never reached when
// the frames come.
constexpr int kFrameDeadlineMs = 10000;

bool IsFrameOf(const MSG& message, HWND window, int widgetId) {
    return message.message == MsgWidgetPost && message.hwnd == window &&
           message.wParam == static_cast<WPARAM>(widgetId);
}

// Dispatches this thread's messages until `maxFrames` frames posted to the widget went through
// (or `milliseconds` passed); after each of those, records what `probe` returns then.
template <typename Probe>
auto PumpFrames(HWND window, int widgetId, size_t maxFrames, Probe probe,
                int milliseconds = kFrameDeadlineMs) {
    std::vector<decltype(probe())> seen;
    test::PumpCounting([&](const MSG& message) { return IsFrameOf(message, window, widgetId); },
                       static_cast<int>(maxFrames), [&] { seen.push_back(probe()); }, milliseconds);
    return seen;
}

// Frames that go through in `milliseconds` of dispatching: for checks that none come.
int CountFrames(HWND window, int widgetId, int milliseconds) {
    return static_cast<int>(PumpFrames(
                                window, widgetId, 1000, [] { return 0; }, milliseconds)
                                .size());
}

// Takes at least `count` frame posts of the widget out of the queue without dispatching them
// (the clock keeps posting while nobody dispatches), as they were posted.
std::vector<MSG> TakeQueuedFrames(HWND window, int widgetId, size_t count) {
    std::vector<MSG> frames;
    const ULONGLONG deadline = GetTickCount64() + kFrameDeadlineMs;
    while (frames.size() < count && GetTickCount64() < deadline) {
        MSG message;
        while (PeekMessageW(&message, window, MsgWidgetPost, MsgWidgetPost, PM_REMOVE)) {
            if (IsFrameOf(message, window, widgetId)) frames.push_back(message);
        }
        Sleep(5);
    }
    return frames;
}

int ThreadsOfThisProcess() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

class AnimatedPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGraphics();
        still_ = test::EncodeSolidImage(20, 20, kFrameColours[2], test::ImageFormat::kPng);
        ASSERT_FALSE(still_.empty());
        form_ = std::make_unique<TestForm>();
    }

    HWND Window() const { return form_->Handle(); }
    COLORREF Middle() const { return form_->WindowPixel(kMiddleX, kMiddleY); }

    test::CursorAway cursorAway_;
    std::string still_;
    std::unique_ptr<TestForm> form_;
};

TEST_F(AnimatedPictureTest, CreateWithoutPlayingDrawsFrameZeroOnceAndStartsNoClock) {
    AnimatedPicture picture;
    const int id = picture.Create(Window(), kX, kY, kW, kH, ColourGif(3));
    ASSERT_GT(id, 0);
    EXPECT_EQ(picture.FrameCount(), 3);
    EXPECT_FALSE(picture.Playing());
    EXPECT_EQ(FrameShown(Middle()), 0) << test::ColourText(Middle());

    test::Scribble(*form_, kSpot);
    EXPECT_EQ(CountFrames(Window(), id, 400), 0) << "a clock is running";
    EXPECT_TRUE(test::HasMarker(form_->OnWindow(), kSpot)) << "drawn again";
}

// Artwork decoded beforehand (the start's preload) is shown as given; an empty one leaves the
// widget to read the file itself.
TEST_F(AnimatedPictureTest, ArtworkDecodedBeforehandIsShownAsGivenAnEmptyOneIsReadFromTheFile) {
    test::TempFile file(L"artwork.png");
    ASSERT_TRUE(file.Write(test::EncodeSolidImage(kW, kH, 0x00FF00, test::ImageFormat::kPng)));
    Picture decoded;
    ASSERT_NE(
        decoded.LoadFromBytes(test::EncodeSolidImage(kW, kH, 0x0000FF, test::ImageFormat::kPng)),
        nullptr);
    AnimatedPicture given, empty;
    ASSERT_GT(given.CreateFromArtwork(Window(), kX, kY, kW, kH, file.GbkPath(), false, true,
                                      std::move(decoded)),
              0);
    EXPECT_TRUE(NearColour(Middle(), 0x0000FF)) << test::ColourText(Middle());

    ASSERT_GT(
        empty.CreateFromArtwork(Window(), kX, kY, kW, kH, file.GbkPath(), false, true, Picture()),
        0);
    EXPECT_TRUE(NearColour(Middle(), 0x00FF00)) << test::ColourText(Middle());
}

TEST_F(AnimatedPictureTest, AOneFramePictureIsDrawnAgainEveryHundredMillisecondsWhilePlaying) {
    AnimatedPicture picture;
    const int id = picture.Create(Window(), kX, kY, kW, kH, still_, true);
    ASSERT_GT(id, 0);
    EXPECT_TRUE(picture.Playing());
    EXPECT_EQ(WidgetAt(FindWidget(id))->kind, kKindAnimatedPicture);
    ASSERT_EQ(PumpFrames(Window(), id, 1, [] { return 0; }).size(), 1u) << "no frame";
    // Scaled into the bounds (GDI+ softens the outermost pixels of a scaled picture).
    for (auto [x, y] : {std::pair{kX + 4, kY + 4}, {kX + kW - 5, kY + kH - 5}}) {
        EXPECT_TRUE(NearColour(form_->WindowPixel(x, y), kFrameColours[2], 24))
            << x << "," << y << ": " << test::ColourText(form_->WindowPixel(x, y));
    }
    EXPECT_FALSE(NearColour(form_->WindowPixel(kX + kW + 2, kMiddleY), kFrameColours[2], 60))
        << "nothing beyond the bounds";

    // Each frame restores the picture over whatever was drawn on it since.
    for (int round = 0; round < 3; ++round) {
        test::Scribble(*form_, kSpot);
        EXPECT_EQ(
            PumpFrames(Window(), id, 1, [&] { return test::HasMarker(form_->OnWindow(), kSpot); }),
            std::vector<bool>{false})
            << "round " << round;
    }
    // The pace (ten a second) is printed by the toolkit benchmark.
    EXPECT_EQ(FrameShown(Middle()), 2);
}

TEST_F(AnimatedPictureTest, FramesFollowEachOtherInOrderAndStartAgainFromFrameZero) {
    AnimatedPicture picture;
    const int id = picture.Create(Window(), kX, kY, kW, kH, ColourGif(3), true);
    ASSERT_GT(id, 0);
    const auto shown = [&] { return FrameShown(Middle()); };
    EXPECT_EQ(PumpFrames(Window(), id, 7, shown), (std::vector<int>{0, 1, 2, 0, 1, 2, 0}))
        << "the stored one-minute delays are not followed";
    EXPECT_EQ(picture.CurrentFrame(), 0);
    PumpFrames(Window(), id, 1, shown);
    EXPECT_EQ(picture.CurrentFrame(), 1);

    EXPECT_FALSE(picture.Playing(false));
    EXPECT_EQ(shown(), 1) << "stopping keeps the frame shown last";
    test::PumpMessages(150);  // a frame posted just before the stop is dropped meanwhile
    EXPECT_EQ(shown(), 1);
    EXPECT_TRUE(picture.Playing(true));
    EXPECT_EQ(PumpFrames(Window(), id, 2, shown), (std::vector<int>{0, 1}));
}

TEST_F(AnimatedPictureTest, AStoppedPictureRepaintsOnRequestAPlayingOneIgnoresRequests) {
    AnimatedPicture picture;
    const int id = picture.Create(Window(), kX, kY, kW, kH, ColourGif(3), true);
    ASSERT_GT(id, 0);
    PumpFrames(Window(), id, 2, [] { return 0; });

    // No messages are dispatched between the request and the look: no frame can come between.
    test::Scribble(*form_, kSpot);
    form_->Form().PaintWidget(id, 0);
    picture.HandleMessage(Window(), WM_PAINT, 0, 0);
    EXPECT_TRUE(test::HasMarker(form_->OnWindow(), kSpot))
        << "a playing picture painted on request";

    EXPECT_FALSE(picture.Playing(false));
    form_->Form().PaintWidget(id, 0);
    EXPECT_FALSE(test::HasMarker(form_->OnWindow(), kSpot));
    EXPECT_EQ(FrameShown(Middle()), 1) << "the current frame";
    for (int request = 0; request < 2; ++request) {
        test::Scribble(*form_, kSpot);
        picture.HandleMessage(Window(), WM_PAINT, 0, 0);
        EXPECT_FALSE(test::HasMarker(form_->OnWindow(), kSpot)) << "request " << request;
    }

    // Frames posted before a stop and dispatched after it are not drawn.
    EXPECT_TRUE(picture.Playing(true));
    const std::vector<MSG> late = TakeQueuedFrames(Window(), id, 2);
    ASSERT_GE(late.size(), 2u);
    EXPECT_FALSE(picture.Playing(false));
    test::Scribble(*form_, kSpot);
    for (const MSG& frame : late)
        DispatchMessageW(&frame);
    EXPECT_TRUE(test::HasMarker(form_->OnWindow(), kSpot));
}

// Frames a stopped clock left queued arrive after a new clock's first frame was posted: they must
// not be drawn, neither by the picture that restarted nor by a new picture on the old one's id.
TEST_F(AnimatedPictureTest, FramesOfAStoppedClockAreNeverDrawn) {
    const std::string gif = ColourGif(3);
    struct Case {
        const char* name;
        bool newPicture;  // the old picture goes and a new one takes its id
    };
    for (const Case& c : {Case{"played again", false}, Case{"a new picture", true}}) {
        auto picture = std::make_unique<AnimatedPicture>();
        const int id = picture->Create(Window(), kX, kY, kW, kH, gif, true);
        ASSERT_GT(id, 0);
        ASSERT_EQ(PumpFrames(Window(), id, 1, [] { return 0; }).size(), 1u) << c.name;
        // Frames 1, 2, ... wait in the queue.
        const std::vector<MSG> stale = TakeQueuedFrames(Window(), id, 2);
        ASSERT_GE(stale.size(), 2u) << c.name;
        for (const MSG& frame : stale) {
            PostMessageW(frame.hwnd, frame.message, frame.wParam, frame.lParam);
        }
        if (c.newPicture) {
            picture = std::make_unique<AnimatedPicture>();
            ASSERT_EQ(picture->Create(Window(), kX, kY, kW, kH, gif, true), id) << c.name;
        } else {
            picture->Playing(false);
            picture->Playing(true);
        }
        // Frame 0 of the new clock is queued behind the old ones: frame 0 shows throughout, and
        // then only the new clock's next frames, up to its frame 1.
        std::vector<int> shown;
        while (std::find(shown.begin(), shown.end(), 1) == shown.end()) {
            const auto next = PumpFrames(Window(), id, 1, [&] { return picture->CurrentFrame(); });
            ASSERT_EQ(next.size(), 1u) << c.name << ": no frame 1";
            shown.push_back(next.front());
        }
        EXPECT_EQ(shown.front(), 0) << c.name;
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << c.name;
    }
}

TEST_F(AnimatedPictureTest, PlayingTurnsOnAndOffOnlyOnChangeAndNeedsAWidget) {
    AnimatedPicture unregistered;
    EXPECT_FALSE(unregistered.Playing(true)) << "nowhere to post frames to";

    AnimatedPicture picture;
    const int id = picture.Create(Window(), kX, kY, kW, kH, still_);
    EXPECT_FALSE(picture.Playing(false));
    EXPECT_TRUE(picture.Playing(true));
    EXPECT_TRUE(picture.Playing(true)) << "a second start";
    EXPECT_EQ(PumpFrames(Window(), id, 3, [] { return 0; }).size(), 3u);
    EXPECT_FALSE(picture.Playing(false));
    test::PumpMessages(0);  // a frame the clock posted before it stopped
    EXPECT_EQ(CountFrames(Window(), id, 300), 0) << "only one clock was started";
}

TEST_F(AnimatedPictureTest, StoppingDestroyingAndDeletingWhilePlayingEndTheClockAtOnce) {
    const int threadsBefore = ThreadsOfThisProcess();
    ASSERT_GT(threadsBefore, 0);
    const std::string gif = ColourGif(3);

    for (int round = 0; round < 100; ++round) {
        AnimatedPicture picture;
        const int id = picture.Create(Window(), kX, kY, kW, kH, gif, true);
        ASSERT_GT(id, 0);
        if (round % 2) test::PumpMessages(round % 7);
        ASSERT_FALSE(picture.Playing(false)) << "round " << round;
    }
    for (int round = 0; round < 100; ++round) {
        auto picture = std::make_unique<AnimatedPicture>();
        ASSERT_GT(picture->Create(Window(), kX, kY, kW, kH, gif, true), 0);
        if (round % 2) test::PumpMessages(round % 7);
        picture.reset();  // the object goes while its form stays
    }
    for (int round = 0; round < 100; ++round) {
        TestForm form;
        AnimatedPicture picture;
        ASSERT_GT(picture.Create(form.Handle(), kX, kY, kW, kH, gif, true), 0);
        if (round % 2) test::PumpMessages(round % 7);
        form.DestroyWindow();
        ASSERT_FALSE(picture.Playing()) << "round " << round;
        EXPECT_EQ(picture.FrameCount(), 0);
        EXPECT_FALSE(picture.Playing(true)) << "no form to play on";
    }
    // Frames still queued for windows and widgets that are gone are harmless.
    test::PumpMessages(300);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "clock threads left behind";
}

}  // namespace
