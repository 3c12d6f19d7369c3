#include "presence/discord_rpc.h"

#include <windows.h>

#include <memory>

#include "presence/discord_ipc.h"

void DiscordRpcThread() {
  const std::unique_ptr<DiscordIpcSystem> system = NewWin32DiscordIpc();
  RunDiscordRpc(*system, GetCurrentProcessId());
}
