#include "app/process/process_audio.h"

#include <windows.h>

#include <audiopolicy.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// Asks the devices afresh every time: sessions come and go with the sound a game plays, and a
// device may be plugged in or out between two calls.
class CoreAudio final : public ProcessAudio {
public:
    std::optional<bool> Muted() override {
        const std::vector<ComPtr<ISimpleAudioVolume>> sessions = Sessions();
        if (sessions.empty()) return std::nullopt;
        for (const ComPtr<ISimpleAudioVolume>& session : sessions) {
            BOOL muted = FALSE;
            if (SUCCEEDED(session->GetMute(&muted)) && !muted) return false;
        }
        return true;
    }

    bool SetMuted(bool muted) override {
        bool changed = false;
        for (const ComPtr<ISimpleAudioVolume>& session : Sessions()) {
            changed |= SUCCEEDED(session->SetMute(muted ? TRUE : FALSE, nullptr));
        }
        return changed;
    }

private:
    // This process's sessions on every active playback device: its default session, which the
    // sound it plays later joins too, and any other session it has opened.
    static std::vector<ComPtr<ISimpleAudioVolume>> Sessions() {
        std::vector<ComPtr<ISimpleAudioVolume>> sessions;
        ComPtr<IMMDeviceEnumerator> enumerator;
        if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&enumerator)))) {
            return sessions;
        }
        ComPtr<IMMDeviceCollection> devices;
        UINT count = 0;
        if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &devices)) ||
            FAILED(devices->GetCount(&count))) {
            return sessions;
        }
        for (UINT i = 0; i < count; ++i) {
            ComPtr<IMMDevice> device;
            ComPtr<IAudioSessionManager2> manager;
            if (FAILED(devices->Item(i, &device)) ||
                FAILED(device->Activate(__uuidof(IAudioSessionManager2), CLSCTX_INPROC_SERVER,
                                        nullptr, &manager))) {
                continue;
            }
            ComPtr<ISimpleAudioVolume> own;
            if (SUCCEEDED(manager->GetSimpleAudioVolume(nullptr, FALSE, &own))) {
                sessions.push_back(std::move(own));
            }
            AddOtherSessions(*manager.Get(), sessions);
        }
        return sessions;
    }

    static void AddOtherSessions(IAudioSessionManager2& manager,
                                 std::vector<ComPtr<ISimpleAudioVolume>>& sessions) {
        ComPtr<IAudioSessionEnumerator> all;
        int count = 0;
        if (FAILED(manager.GetSessionEnumerator(&all)) || FAILED(all->GetCount(&count))) return;
        const DWORD self = GetCurrentProcessId();
        for (int i = 0; i < count; ++i) {
            ComPtr<IAudioSessionControl> control;
            ComPtr<IAudioSessionControl2> details;
            DWORD process = 0;
            if (FAILED(all->GetSession(i, &control)) || FAILED(control.As(&details)) ||
                FAILED(details->GetProcessId(&process)) || process != self) {
                continue;
            }
            ComPtr<ISimpleAudioVolume> volume;
            if (SUCCEEDED(control.As(&volume))) sessions.push_back(std::move(volume));
        }
    }
};

}  // namespace

std::unique_ptr<ProcessAudio> MakeProcessAudio() {
    return std::make_unique<CoreAudio>();
}
