// ProcessAudio: this program's own sound, as the system's volume mixer knows it: muting it
// silences the games played here while other programs keep their sound.
//
// MakeProcessAudio gives the Core Audio one: the audio sessions of this process on every active
// playback device, each through its ISimpleAudioVolume. Tests put a recording fake in its place
// (Wine here has no audio device). Window thread only, with COM initialised on it.
#pragma once

#include <memory>
#include <optional>

class ProcessAudio {
public:
    virtual ~ProcessAudio() = default;

    // Whether the program's sound is muted: true when every session of this process is;
    // nothing when there is no session to ask (no playback device).
    virtual std::optional<bool> Muted() = 0;
    // Mutes or unmutes every session of this process; false when none could be changed.
    virtual bool SetMuted(bool muted) = 0;
};

std::unique_ptr<ProcessAudio> MakeProcessAudio();
