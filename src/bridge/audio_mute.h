// The page's sound switch: mutes or unmutes, in the Windows mixer, the audio
// sessions of all launcher processes on the default output device, and never
// another program's. Windows only.

#ifndef ZLM_BRIDGE_AUDIO_MUTE_H_
#define ZLM_BRIDGE_AUDIO_MUTE_H_

#include <string>

#include "bridge/audio_sessions.h"
#include "bridge/session_mute_hold.h"

class LauncherAudioMute {
 public:
  LauncherAudioMute(std::wstring exeFileName, DeviceEnumeratorSource source);

  // Walks the sessions that exist now. A mute also holds for sessions that
  // appear later, until the next unmute. Reports nothing: every failure only
  // ends the walk early or skips a session. Uses a single-threaded apartment
  // on the calling thread and leaves the thread's COM state as it found it.
  // One thread at a time.
  void Set(bool mute);

 private:
  const std::wstring exeFileName_;
  const DeviceEnumeratorSource source_;
  SessionMuteHold hold_;
};

// The product's switch, for the processes named like this executable, through
// Core Audio. A hold still running when the process exits ends with it.
void SetLauncherAudioMute(bool mute);

#endif  // ZLM_BRIDGE_AUDIO_MUTE_H_
