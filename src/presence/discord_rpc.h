// The presence thread: publishes the Discord Rich Presence card while the
// launcher runs. Started by the entry point after CefInitialize, stopped after
// the message loop ends.

#ifndef ZLM_PRESENCE_DISCORD_RPC_H_
#define ZLM_PRESENCE_DISCORD_RPC_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

class DiscordIpcSystem;

// Written by the main thread only (atomic exchanges); read by the thread.
extern std::atomic<bool> presenceRunning;
extern std::thread presenceThread;

// Thread entry; returns soon after presenceRunning turns false.
void DiscordRpcThread();

// How long the entry point waits for the thread when the launcher ends. The
// thread needs at most one pipe operation and one poll step to return; past
// this it is stuck somewhere, and the launcher ends without it.
inline constexpr std::chrono::milliseconds kPresenceStopBound{2000};

// Sets presenceRunning and starts |entry| on presenceThread, unless running.
void StartPresenceThread(void (*entry)());
// Clears presenceRunning and joins presenceThread, waiting at most |bound|;
// a thread still running then is detached. True when it was joined (or was
// not running). |entry| must use only what it owns and process-wide state.
bool StopPresenceThread(std::chrono::milliseconds bound = kPresenceStopBound);

// The thread's work over |system|, announcing the card for |processId|:
// find a pipe, shake hands, send the activity, then watch the pipe and send
// it again after every text change, reconnecting whenever the pipe breaks.
// Every wait is made of 100 ms steps and ends at the first step after
// presenceRunning turns false; returns then. A connection that ends soon
// after it opened (Discord refusing the application id closes it right after
// the handshake) is followed by a pause that doubles each time, from 1 s up
// to 60 s, until a connection lasts.
void RunDiscordRpc(DiscordIpcSystem& system, std::uint32_t processId);

#endif  // ZLM_PRESENCE_DISCORD_RPC_H_
