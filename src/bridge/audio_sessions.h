// The launcher's audio sessions in the Windows mixer. Windows only.

#ifndef ZLM_BRIDGE_AUDIO_SESSIONS_H_
#define ZLM_BRIDGE_AUDIO_SESSIONS_H_

#include <audiopolicy.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <functional>

#include "bridge/launcher_processes.h"

// Mutes or unmutes |session| when the process it reports is one of
// |launcherIds|. A session without a process id, or without a volume, is
// left alone. Releases every interface it obtains.
void SetMuteIfLauncherSession(IAudioSessionControl* session, const LauncherProcessIds& launcherIds,
                              bool mute);

// Visits every session of the list in order; sessions of other programs are
// never touched.
void SetMuteOfLauncherSessions(IAudioSessionEnumerator* sessions,
                               const LauncherProcessIds& launcherIds, bool mute);

// Where the device enumerator comes from: Core Audio in the product, a
// hand-made one in tests. Called on the thread that uses the result.
using DeviceEnumeratorSource = std::function<HRESULT(IMMDeviceEnumerator** enumerator)>;
HRESULT CreateCoreAudioDeviceEnumerator(IMMDeviceEnumerator** enumerator);

// The session manager of the default output device for the console role,
// with what it was reached through. Members go in reverse order: manager,
// device, enumerator.
struct DefaultOutputSessions {
  Microsoft::WRL::ComPtr<IMMDeviceEnumerator> enumerator;
  Microsoft::WRL::ComPtr<IMMDevice> device;
  Microsoft::WRL::ComPtr<IAudioSessionManager2> manager;

  // False at the first step that fails; what was obtained until then is
  // kept and released with the object.
  bool Open(const DeviceEnumeratorSource& source);
};

#endif  // ZLM_BRIDGE_AUDIO_SESSIONS_H_
