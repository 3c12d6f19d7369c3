#include "presence/discord_rpc.h"

std::atomic<bool> presenceRunning{false};
std::thread presenceThread;

void DiscordRpcThread() {
  // The IPC client is not built yet; the thread ends at once.
}
