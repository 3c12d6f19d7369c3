#include "page_channel.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "channel_commands.h"
#include "page_records.h"
#include "ui_thread.h"

namespace standin {

namespace {

constexpr DWORD kPipeBuffer = 64 * 1024;
constexpr int kUiTimeoutMs = 10000;

// Owns one kernel handle; move-only.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(nullptr); }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle) {
    if (valid())
      CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

struct Client {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> finished;
};

struct ChannelState {
  std::mutex lock;
  ScopedHandle stop;  // manual-reset event, set by Stop
  std::thread listener;
  std::vector<Client> clients;
};

ChannelState& State() {
  static ChannelState state;
  return state;
}

// A work item handed to the UI thread. The pipe thread may give up on it only
// while it has not started, so the UI thread never touches a dead stack frame.
struct UiCall {
  std::mutex lock;
  std::condition_variable changed;
  bool started = false;
  bool finished = false;
  bool abandoned = false;
};

class PipeHost : public ChannelHost {
 public:
  explicit PipeHost(HANDLE stop) : stop_(stop) {}

  bool RunOnUi(const std::function<void()>& work) override {
    auto call = std::make_shared<UiCall>();
    const std::function<void()>* target = &work;
    bool posted = PostUiTask([call, target] {
      {
        std::lock_guard<std::mutex> guard(call->lock);
        if (call->abandoned)
          return;
        call->started = true;
      }
      (*target)();
      std::lock_guard<std::mutex> guard(call->lock);
      call->finished = true;
      call->changed.notify_all();
    });
    if (!posted)
      return false;
    std::unique_lock<std::mutex> guard(call->lock);
    int waited = 0;
    while (!call->finished) {
      call->changed.wait_for(guard, std::chrono::milliseconds(20));
      waited += 20;
      bool give_up = waited >= kUiTimeoutMs ||
                     WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0;
      if (give_up && !call->started) {
        call->abandoned = true;
        return false;
      }
    }
    return true;
  }

  bool Wait(int ms) override {
    return WaitForSingleObject(stop_, static_cast<DWORD>(ms)) == WAIT_TIMEOUT;
  }

  bool WaitForChange(int ms, std::uint64_t seen) override {
    WaitForPageChange(seen, ms);
    return WaitForSingleObject(stop_, 0) == WAIT_TIMEOUT;
  }

 private:
  HANDLE stop_;
};

// Waits for an overlapped operation or the stop event; false when stopped or
// failed. A stopped operation is cancelled and drained before returning, so the
// kernel no longer writes into the caller's buffer.
bool Complete(HANDLE pipe, OVERLAPPED* ov, BOOL started, HANDLE stop,
              DWORD* bytes) {
  if (!started && GetLastError() != ERROR_IO_PENDING)
    return false;
  HANDLE events[2] = {ov->hEvent, stop};
  if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, ov, bytes, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, ov, bytes, FALSE) != 0;
}

// A reply whose work has run is delivered even while the channel stops (the
// "close" op's own reply races with the shutdown it causes); a client that
// does not read gets kReplyGraceMs before the write is given up.
constexpr DWORD kReplyGraceMs = 2000;

bool WriteAll(HANDLE pipe, HANDLE event, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    OVERLAPPED ov = {};
    ov.hEvent = event;
    DWORD chunk = static_cast<DWORD>(
        std::min<std::size_t>(data.size() - sent, kPipeBuffer));
    DWORD written = 0;
    BOOL started = WriteFile(pipe, data.data() + sent, chunk, nullptr, &ov);
    if (!started && GetLastError() != ERROR_IO_PENDING)
      return false;
    if (WaitForSingleObject(event, kReplyGraceMs) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      GetOverlappedResult(pipe, &ov, &written, TRUE);
      return false;
    }
    if (!GetOverlappedResult(pipe, &ov, &written, FALSE) || written == 0)
      return false;
    sent += written;
  }
  return true;
}

void ServeClient(ScopedHandle pipe, HANDLE stop) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event.valid())
    return;
  PipeHost host(stop);
  std::string pending;
  bool discarding = false;  // inside a line that was too long
  char buffer[4096];
  for (;;) {
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    DWORD got = 0;
    BOOL started = ReadFile(pipe.get(), buffer, sizeof(buffer), nullptr, &ov);
    if (!Complete(pipe.get(), &ov, started, stop, &got) || got == 0)
      break;
    pending.append(buffer, got);
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
         start = end + 1) {
      std::string line = pending.substr(start, end - start);
      if (discarding) {
        discarding = false;
        continue;
      }
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos)
        continue;
      std::string reply = line.size() > kMaxChannelLine
                              ? LineTooLongReply()
                              : HandleChannelLine(line, host);
      if (!WriteAll(pipe.get(), event.get(), reply + "\n"))
        return;
    }
    pending.erase(0, start);
    if (pending.size() > kMaxChannelLine) {
      pending.clear();
      if (!discarding) {
        discarding = true;
        if (!WriteAll(pipe.get(), event.get(), LineTooLongReply() + "\n"))
          return;
      }
    }
  }
  // The handle just closes: DisconnectNamedPipe would throw away a reply the
  // client has not read yet (the close op's reply, when the engine stops).
}

ScopedHandle CreateInstance() {
  std::wstring name = PageChannelName(GetCurrentProcessId());
  return ScopedHandle(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
      kPipeBuffer, kPipeBuffer, 0, nullptr));
}

// Listener thread, under the state lock: joins the threads of clients that left,
// so a long run with many connections keeps no dead threads.
void ReapFinishedClients() {
  std::vector<Client>& clients = State().clients;
  for (auto it = clients.begin(); it != clients.end();) {
    if (*it->finished) {
      it->thread.join();
      it = clients.erase(it);
    } else {
      ++it;
    }
  }
}

void Listen(ScopedHandle first, HANDLE stop) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle pipe = std::move(first);
  while (event.valid() && WaitForSingleObject(stop, 0) == WAIT_TIMEOUT) {
    if (!pipe.valid()) {
      pipe = CreateInstance();
      if (!pipe.valid()) {
        WaitForSingleObject(stop, 100);
        continue;
      }
    }
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    BOOL connected = ConnectNamedPipe(pipe.get(), &ov);
    DWORD unused = 0;
    if (!connected && GetLastError() != ERROR_PIPE_CONNECTED &&
        !Complete(pipe.get(), &ov, FALSE, stop, &unused)) {
      pipe.reset(nullptr);
      continue;
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([finished](ScopedHandle client, HANDLE stop_event) {
      ServeClient(std::move(client), stop_event);
      *finished = true;
    }, std::move(pipe), stop);
    std::lock_guard<std::mutex> guard(State().lock);
    ReapFinishedClients();
    State().clients.push_back(Client{std::move(thread), finished});
  }
}

}  // namespace

std::wstring PageChannelName(unsigned long process_id) {
  return L"\\\\.\\pipe\\zlm-standin-" + std::to_wstring(process_id);
}

bool StartPageChannel() {
  StopPageChannel();
  ScopedHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle first = CreateInstance();
  if (!stop.valid() || !first.valid())
    return false;
  std::lock_guard<std::mutex> guard(State().lock);
  HANDLE stop_event = stop.get();
  State().stop = std::move(stop);
  State().listener = std::thread(Listen, std::move(first), stop_event);
  return true;
}

void StopPageChannel() {
  std::thread listener;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    if (!State().stop.valid())
      return;
    SetEvent(State().stop.get());
    listener = std::move(State().listener);
  }
  if (listener.joinable())
    listener.join();
  std::vector<Client> clients;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    clients.swap(State().clients);
  }
  for (Client& client : clients)
    client.thread.join();
  std::lock_guard<std::mutex> guard(State().lock);
  State().stop.reset(nullptr);
}

}  // namespace standin
