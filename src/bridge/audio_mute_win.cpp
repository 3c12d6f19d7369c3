#include "bridge/audio_mute.h"

#include <utility>

#include "bridge/scoped_com_init.h"

using Microsoft::WRL::ComPtr;

LauncherAudioMute::LauncherAudioMute(std::wstring exeFileName, DeviceEnumeratorSource source)
    : exeFileName_(std::move(exeFileName)),
      source_(std::move(source)),
      hold_(exeFileName_, source_) {}

void LauncherAudioMute::Set(bool mute) {
  // The hold starts before the walk and stops before it, so that a session
  // opened while the walk runs is still muted, and none is muted again behind
  // an unmute.
  if (mute)
    hold_.Start();
  else
    hold_.Stop();

  const LauncherProcessIds launcherIds = CollectLauncherProcessIds(exeFileName_);
  const ScopedComInit com(COINIT_APARTMENTTHREADED);
  DefaultOutputSessions output;
  if (!output.Open(source_))
    return;
  ComPtr<IAudioSessionEnumerator> sessions;
  if (FAILED(output.manager->GetSessionEnumerator(&sessions)) || !sessions)
    return;
  SetMuteOfLauncherSessions(sessions.Get(), launcherIds, mute);
}

void SetLauncherAudioMute(bool mute) {
  static LauncherAudioMute launcherMute(OwnExeFileName(), CreateCoreAudioDeviceEnumerator);
  launcherMute.Set(mute);
}
