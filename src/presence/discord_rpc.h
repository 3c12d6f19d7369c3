// The presence thread: publishes the Discord Rich Presence card while the
// launcher runs. Started by the entry point after CefInitialize, stopped after
// the message loop ends.

#ifndef ZLM_PRESENCE_DISCORD_RPC_H_
#define ZLM_PRESENCE_DISCORD_RPC_H_

#include <atomic>
#include <cstdint>
#include <thread>

class DiscordIpcSystem;

// Written by the main thread only (atomic exchanges); read by the thread.
extern std::atomic<bool> presenceRunning;
extern std::thread presenceThread;

// Thread entry; returns soon after presenceRunning turns false.
void DiscordRpcThread();

// The thread's work over |system|, announcing the card for |processId|:
// find a pipe, shake hands, send the activity, then watch the pipe and send
// it again after every text change, reconnecting whenever the pipe breaks.
// Every wait is made of 100 ms steps and ends at the first step after
// presenceRunning turns false; returns then.
void RunDiscordRpc(DiscordIpcSystem& system, std::uint32_t processId);

#endif  // ZLM_PRESENCE_DISCORD_RPC_H_
