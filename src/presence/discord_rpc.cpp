#include "presence/discord_rpc.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/bounded_join.h"
#include "app/trace.h"
#include "presence/discord_ipc.h"
#include "presence/presence_text.h"

std::atomic<bool> presenceRunning{false};
std::thread presenceThread;

namespace {

constexpr int kNoPipePauseSteps = 30;         // about 3 s
constexpr int kHandshakeFailedPauseSteps = 20;  // about 2 s
constexpr int kWatchPassSteps = 10;           // about 1 s per pass
constexpr std::int32_t kHandshakeReplyMs = 3000;
constexpr std::int32_t kActivityReplyMs = 2000;
constexpr std::uint32_t kDrainBytes = 4096;
constexpr std::size_t kTracedReplyBytes = 180;
// A connection shorter than this was refused rather than lost; the pause
// after it starts at the first value and doubles up to the last.
constexpr std::int64_t kRefusedConnectionMs = 10000;
constexpr std::int64_t kFirstRefusalPauseMs = 1000;
constexpr std::int64_t kLongestRefusalPauseMs = 60000;

// The end of the running presenceThread; main thread only.
std::shared_ptr<ThreadEnd> presenceThreadEnd;

// One run of the presence thread. States: Searching (OpenDiscordPipe),
// Pausing, Handshaking, Announcing, Watching; Stopped when presenceRunning is
// seen false.
class PresenceClient {
 public:
  PresenceClient(DiscordIpcSystem& system, std::uint32_t processId)
      : system_(system), processId_(processId) {}

  void Run() {
    // The card counts from the launcher's start, across reconnections.
    presenceStartTime.store(system_.UnixTimeSeconds());
    while (presenceRunning.load()) {
      std::unique_ptr<DiscordPipe> pipe = OpenDiscordPipe(system_);
      if (!pipe) {
        Pause(kNoPipePauseSteps);
        continue;
      }
      if (!WriteFrame(*pipe, kOpHandshake, HandshakePayload(kDiscordAppId))) {
        pipe.reset();
        Pause(kHandshakeFailedPauseSteps);
        continue;
      }
      const std::int64_t openedAtMs = system_.SteadyMs();
      Serve(*pipe);
      pipe.reset();
      // A lost connection is searched for again at once; a refused one only
      // after a pause, or Discord would be asked again as fast as it answers.
      if (system_.SteadyMs() - openedAtMs >= kRefusedConnectionMs) {
        refusalPauseMs_ = kFirstRefusalPauseMs;
      } else {
        Pause(static_cast<int>(refusalPauseMs_ / kPollStepMs));
        refusalPauseMs_ = std::min(refusalPauseMs_ * 2, kLongestRefusalPauseMs);
      }
    }
  }

 private:
  // Announcing and Watching on a pipe whose handshake was written; returns
  // when the pipe breaks or the thread is stopped.
  void Serve(DiscordPipe& pipe) {
    const FrameReply handshakeReply =
        AwaitFrameReply(pipe, system_, kHandshakeReplyMs, &presenceRunning);
    Trace("DiscordRpc: handshake yaniti=" + handshakeReply.text.substr(0, kTracedReplyBytes));
    if (!presenceRunning.load())
      return;
    // Until Discord has checked the application id it answers nothing and
    // drops every command. When its READY comes after the wait, the first
    // activity was lost: the first bytes heard later bring it again.
    bool readyPending = handshakeReply.kind == FrameReply::Kind::kNone;
    bool announceAgain = false;

    presenceDirty.exchange(false);
    Announce(pipe);
    const FrameReply activityReply =
        AwaitFrameReply(pipe, system_, kActivityReplyMs, &presenceRunning);
    if (readyPending && activityReply.kind == FrameReply::Kind::kPayload) {
      readyPending = false;
      announceAgain = true;
    }

    while (presenceRunning.load()) {
      const std::optional<std::uint32_t> available = pipe.BytesAvailable();
      if (!available)
        return;
      if (*available > 0) {
        char scratch[kDrainBytes];
        pipe.Read(scratch, std::min(*available, kDrainBytes));
        if (readyPending) {
          readyPending = false;
          announceAgain = true;
        }
      }
      // Taken before the text is copied: a change landing in between is in
      // this copy or raises the flag for the next pass, never lost.
      const bool changed = presenceDirty.exchange(false);
      if (changed || announceAgain) {
        announceAgain = false;
        Announce(pipe);
      }
      Pause(kWatchPassSteps);
    }
  }

  // A failed write is not retried: the next change or connection sends again.
  void Announce(DiscordPipe& pipe) { WriteFrame(pipe, kOpFrame, BuildActivityJson(processId_)); }

  void Pause(int steps) {
    for (int step = 0; step < steps && presenceRunning.load(); ++step)
      system_.SleepMs(kPollStepMs);
  }

  DiscordIpcSystem& system_;
  const std::uint32_t processId_;
  std::int64_t refusalPauseMs_ = kFirstRefusalPauseMs;
};

}  // namespace

void RunDiscordRpc(DiscordIpcSystem& system, std::uint32_t processId) {
  PresenceClient(system, processId).Run();
}

void StartPresenceThread(void (*entry)()) {
  if (!presenceRunning.exchange(true))
    presenceThreadEnd = StartWithEnd(presenceThread, entry);
}

bool StopPresenceThread(std::chrono::milliseconds bound) {
  presenceRunning.exchange(false);
  const bool joined = JoinWithin(presenceThread, presenceThreadEnd, bound);
  presenceThreadEnd.reset();
  return joined;
}
