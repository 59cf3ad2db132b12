// RecordingAudio: a ProcessAudio for tests (Wine here has no playback device): it keeps a mute
// state, or none (no device), and records every SetMuted.
#pragma once

#include <optional>
#include <vector>

#include "app/process/process_audio.h"

namespace test {

class RecordingAudio final : public ProcessAudio {
public:
    explicit RecordingAudio(std::optional<bool> muted = false) : muted_(muted) {}

    std::optional<bool> Muted() override { return muted_; }
    bool SetMuted(bool muted) override {
        calls_.push_back(muted);
        if (!muted_) return false;
        muted_ = muted;
        return true;
    }

    std::optional<bool> State() const { return muted_; }
    const std::vector<bool>& Calls() const { return calls_; }  // each SetMuted's value

private:
    std::optional<bool> muted_;
    std::vector<bool> calls_;
};

}  // namespace test
