#include "bridge/audio_sessions.h"

using Microsoft::WRL::ComPtr;

void SetMuteIfLauncherSession(IAudioSessionControl* session, const LauncherProcessIds& launcherIds,
                              bool mute) {
  ComPtr<IAudioSessionControl2> control;
  if (FAILED(session->QueryInterface(IID_PPV_ARGS(&control))) || !control)
    return;
  DWORD processId = 0;
  if (FAILED(control->GetProcessId(&processId)) || launcherIds.count(processId) == 0)
    return;
  ComPtr<ISimpleAudioVolume> volume;
  if (SUCCEEDED(session->QueryInterface(IID_PPV_ARGS(&volume))) && volume)
    volume->SetMute(mute ? TRUE : FALSE, nullptr);
}

void SetMuteOfLauncherSessions(IAudioSessionEnumerator* sessions,
                               const LauncherProcessIds& launcherIds, bool mute) {
  // A failing count leaves 0: no session is visited.
  int count = 0;
  sessions->GetCount(&count);
  for (int index = 0; index < count; ++index) {
    ComPtr<IAudioSessionControl> session;
    if (FAILED(sessions->GetSession(index, &session)) || !session)
      continue;
    SetMuteIfLauncherSession(session.Get(), launcherIds, mute);
  }
}

HRESULT CreateCoreAudioDeviceEnumerator(IMMDeviceEnumerator** enumerator) {
  return CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                          __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(enumerator));
}

bool DefaultOutputSessions::Open(const DeviceEnumeratorSource& source) {
  if (FAILED(source(enumerator.GetAddressOf())) || !enumerator)
    return false;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) || !device)
    return false;
  return SUCCEEDED(device->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr,
                                    reinterpret_cast<void**>(manager.GetAddressOf()))) &&
         manager;
}
