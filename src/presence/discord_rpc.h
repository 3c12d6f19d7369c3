// The presence thread: publishes the Discord Rich Presence card while the
// launcher runs. Started by the entry point after CefInitialize, stopped after
// the message loop ends.

#ifndef ZLM_PRESENCE_DISCORD_RPC_H_
#define ZLM_PRESENCE_DISCORD_RPC_H_

#include <atomic>
#include <thread>

// Written by the main thread only (atomic exchanges); read by the thread.
extern std::atomic<bool> presenceRunning;
extern std::thread presenceThread;

// Thread entry; returns soon after presenceRunning turns false.
void DiscordRpcThread();

#endif  // ZLM_PRESENCE_DISCORD_RPC_H_
