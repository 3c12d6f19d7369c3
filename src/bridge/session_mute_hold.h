// A mute that holds: while the last audio command was mute, sessions that
// launcher processes open later on the default output device are muted as
// they appear, so a sound the game starts after the player pressed mute
// stays silent. Windows only.
//
// Start and Stop are called on one thread (the page bridge's). The hold
// itself lives on a thread of its own in COM's multithreaded apartment, where
// Core Audio delivers session notifications; Core Audio's callback only
// queues the new session for that thread.

#ifndef ZLM_BRIDGE_SESSION_MUTE_HOLD_H_
#define ZLM_BRIDGE_SESSION_MUTE_HOLD_H_

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/bounded_join.h"
#include "bridge/audio_sessions.h"

class SessionArrivals;

class SessionMuteHold {
 public:
  // New sessions are checked against a fresh selection by |exeFileName|, so
  // launcher processes started after the mute count as well.
  SessionMuteHold(std::wstring exeFileName, DeviceEnumeratorSource source);
  ~SessionMuteHold();  // stops

  SessionMuteHold(const SessionMuteHold&) = delete;
  SessionMuteHold& operator=(const SessionMuteHold&) = delete;

  // How long Start and Stop wait for the hold thread. A thread stuck in a
  // call into the audio service is left behind then, so that the window (Start
  // runs on the UI thread) stays alive and the launcher can still end; it owns
  // all it uses.
  static constexpr std::chrono::milliseconds kStartBound{2000};
  static constexpr std::chrono::milliseconds kStopBound{2000};

  // Returns true once sessions that appear from now on are muted, false when
  // the default device cannot report new sessions or does not answer within
  // |bound| (a hold that comes up later then mutes nothing); true at once while
  // already holding.
  bool Start(std::chrono::milliseconds bound = kStartBound);

  // Returns once the notification is unregistered and no session will be
  // muted by the hold any more, or after |bound| when the hold thread is
  // stuck; true in the first case.
  bool Stop(std::chrono::milliseconds bound = kStopBound);

 private:
  bool IsHolding() const { return thread_.joinable(); }

  const std::wstring exeFileName_;
  const DeviceEnumeratorSource source_;
  std::shared_ptr<SessionArrivals> arrivals_;
  std::thread thread_;
  std::shared_ptr<ThreadEnd> threadEnd_;
};

#endif  // ZLM_BRIDGE_SESSION_MUTE_HOLD_H_
