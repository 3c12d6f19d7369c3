#include "bridge/session_mute_hold.h"

#include <condition_variable>
#include <future>
#include <mutex>
#include <utility>
#include <vector>

#include "bridge/com_object.h"
#include "bridge/scoped_com_init.h"

using Microsoft::WRL::ComPtr;

// New sessions on their way from Core Audio's thread to the hold thread.
class SessionArrivals {
 public:
  using Batch = std::vector<ComPtr<IAudioSessionControl>>;

  // Core Audio's thread. After Close, a late arrival is dropped at once.
  void Post(IAudioSessionControl* session) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_)
      return;
    waiting_.emplace_back(session);
    changed_.notify_one();
  }

  // The hold thread: waits for arrivals; false once closed, and then the
  // arrivals still waiting are handed over only to be released.
  bool Take(Batch& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || !waiting_.empty(); });
    batch.swap(waiting_);
    return !closed_;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Batch waiting_;
  bool closed_ = false;
};

namespace {

// What Core Audio calls on its session manager thread. It only queues, so
// nothing slow or re-entrant runs on that thread and no state but the queue
// is shared with it.
class SessionArrivalNotification final : public ComObject<IAudioSessionNotification> {
 public:
  explicit SessionArrivalNotification(std::shared_ptr<SessionArrivals> arrivals)
      : arrivals_(std::move(arrivals)) {}

  // IAudioSessionNotification methods:
  HRESULT STDMETHODCALLTYPE OnSessionCreated(IAudioSessionControl* session) override {
    if (session)
      arrivals_->Post(session);
    return S_OK;
  }

 private:
  const std::shared_ptr<SessionArrivals> arrivals_;
};

// Core Audio holds back new-session notifications until the client has read
// the session list once.
bool ReadSessionListOnce(IAudioSessionManager2* manager) {
  ComPtr<IAudioSessionEnumerator> sessions;
  int count = 0;
  return SUCCEEDED(manager->GetSessionEnumerator(&sessions)) && sessions &&
         SUCCEEDED(sessions->GetCount(&count));
}

// The hold thread. Its COM apartment, the registration and every interface it
// obtains begin and end here; the notification is unregistered before COM is
// left.
void HoldMute(const std::wstring& exeFileName, const DeviceEnumeratorSource& source,
              const std::shared_ptr<SessionArrivals>& arrivals, std::promise<bool>& started) {
  const ScopedComInit com(COINIT_MULTITHREADED);
  DefaultOutputSessions output;
  const ComPtr<IAudioSessionNotification> notification(new SessionArrivalNotification(arrivals));
  if (!output.Open(source) ||
      FAILED(output.manager->RegisterSessionNotification(notification.Get()))) {
    started.set_value(false);
    return;
  }
  const bool holding = ReadSessionListOnce(output.manager.Get());
  started.set_value(holding);
  SessionArrivals::Batch batch;
  while (holding && arrivals->Take(batch)) {
    const LauncherProcessIds launcherIds = CollectLauncherProcessIds(exeFileName);
    for (const ComPtr<IAudioSessionControl>& session : batch)
      SetMuteIfLauncherSession(session.Get(), launcherIds, true);
    batch.clear();
  }
  output.manager->UnregisterSessionNotification(notification.Get());
}

}  // namespace

SessionMuteHold::SessionMuteHold(std::wstring exeFileName, DeviceEnumeratorSource source)
    : exeFileName_(std::move(exeFileName)), source_(std::move(source)) {}

SessionMuteHold::~SessionMuteHold() {
  Stop();
}

bool SessionMuteHold::Start(std::chrono::milliseconds bound) {
  if (IsHolding())
    return true;
  arrivals_ = std::make_shared<SessionArrivals>();
  auto started = std::make_shared<std::promise<bool>>();
  std::future<bool> holding = started->get_future();
  // Copies, not this: a thread left behind by Stop may outlive the object.
  threadEnd_ = StartWithEnd(thread_, [exeFileName = exeFileName_, source = source_,
                                      arrivals = arrivals_, started] {
    HoldMute(exeFileName, source, arrivals, *started);
  });
  const bool answered = holding.wait_for(bound) == std::future_status::ready;
  if (answered && holding.get())
    return true;
  // Closed first: a hold thread that comes up after all ends at once. One
  // that answered is on its way out; a stuck one is left behind now.
  arrivals_->Close();
  JoinWithin(thread_, threadEnd_, answered ? bound : std::chrono::milliseconds(0));
  threadEnd_.reset();
  arrivals_.reset();
  return false;
}

bool SessionMuteHold::Stop(std::chrono::milliseconds bound) {
  if (!IsHolding())
    return true;
  arrivals_->Close();
  const bool joined = JoinWithin(thread_, threadEnd_, bound);
  threadEnd_.reset();
  arrivals_.reset();
  return joined;
}
