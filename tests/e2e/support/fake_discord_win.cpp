#include "fake_discord.h"

#include <windows.h>

#include <chrono>
#include <utility>

#include "fake_discord_session.h"
#include "win_error.h"

namespace e2e {

namespace {

constexpr DWORD kPipeBuffer = 64 * 1024;
constexpr DWORD kWriteWaitMs = 5000;

HANDLE NewInstance(const std::wstring& name, DWORD buffer) {
  // Byte mode and by default a 64 KiB buffer each way, as Node's pipes (and
  // so Discord's) have.
  return ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, buffer, buffer, 0, nullptr);
}

// Ends an overlapped operation that may still run, so its buffer and event
// can go.
void Abandon(HANDLE file, OVERLAPPED* overlapped) {
  ::CancelIoEx(file, overlapped);
  DWORD ignored = 0;
  ::GetOverlappedResult(file, overlapped, &ignored, TRUE);
}

}  // namespace

std::ostream& operator<<(std::ostream& os, DiscordAnswer answer) {
  static const char* const kNames[] = {"ready",  "dropped", "accepted", "refused",
                                       "closed", "pong",    "ended",    "ignored"};
  return os << kNames[static_cast<int>(answer)];
}

std::ostream& operator<<(std::ostream& os, const DiscordFrame& frame) {
  os << "#" << frame.connection << " op " << frame.opcode << " " << frame.answer;
  if (frame.code)
    os << " " << frame.code << " \"" << frame.message << "\"";
  return os << ": " << frame.payload;
}

bool IsAcceptedActivity(const DiscordFrame& frame) {
  return frame.opcode == static_cast<std::int32_t>(kDiscordOpFrame) &&
         frame.answer == DiscordAnswer::kAccepted && frame.json.is_object() &&
         frame.json.value("cmd", "") == "SET_ACTIVITY";
}

FakeDiscord::FakeDiscord(Options options)
    : options_(options), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

FakeDiscord::~FakeDiscord() { Stop(); }

std::wstring FakeDiscord::pipe_name() const {
  return L"\\\\.\\pipe\\discord-ipc-" + std::to_wstring(options_.index);
}

testing::AssertionResult FakeDiscord::Start() {
  if (listener_.joinable())
    return testing::AssertionSuccess();
  if (!stop_.IsValid())
    return testing::AssertionFailure() << "no stop event";
  ::ResetEvent(stop_.Get());
  // The first instance exists before Start returns: a client may look at once.
  const HANDLE instance = NewInstance(pipe_name(), options_.buffer_size);
  if (instance == INVALID_HANDLE_VALUE)
    return testing::AssertionFailure() << "cannot create discord-ipc-" << options_.index << ": "
                                       << LastErrorText();
  listener_ = std::thread(&FakeDiscord::Listen, this, instance);
  return testing::AssertionSuccess();
}

void FakeDiscord::Stop() {
  if (!listener_.joinable())
    return;
  ::SetEvent(stop_.Get());
  listener_.join();
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& connection : connections)
    connection.join();
}

std::vector<DiscordFrame> FakeDiscord::Frames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_;
}

int FakeDiscord::DroppedConnections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

std::optional<DiscordFrame> FakeDiscord::WaitForFrame(
    const std::function<bool(const DiscordFrame&)>& match, Millis timeout) const {
  return PollUntil(
      [&]() -> std::optional<DiscordFrame> {
        for (const DiscordFrame& frame : Frames()) {
          if (match(frame))
            return frame;
        }
        return std::nullopt;
      },
      timeout);
}

void FakeDiscord::Record(DiscordFrame frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  frames_.push_back(std::move(frame));
}

void FakeDiscord::Listen(HANDLE instance) {
  ScopedFileHandle pipe(instance);
  ScopedHandle connected(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  while (pipe.IsValid()) {
    OVERLAPPED overlapped = {};
    overlapped.hEvent = connected.Get();
    ::ResetEvent(connected.Get());
    bool client = ::ConnectNamedPipe(pipe.Get(), &overlapped) != FALSE;
    const DWORD error = client ? ERROR_SUCCESS : ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
      client = true;
    } else if (error == ERROR_IO_PENDING) {
      const HANDLE events[] = {connected.Get(), stop_.Get()};
      if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        Abandon(pipe.Get(), &overlapped);
        return;
      }
      DWORD ignored = 0;
      client = ::GetOverlappedResult(pipe.Get(), &overlapped, &ignored, FALSE) != FALSE;
    }
    if (::WaitForSingleObject(stop_.Get(), 0) == WAIT_OBJECT_0)
      return;
    // The next instance listens before this one is served, so a client that
    // reconnects at once finds the pipe, as with the real server.
    ScopedFileHandle next(NewInstance(pipe_name(), options_.buffer_size));
    if (client) {
      std::lock_guard<std::mutex> lock(mutex_);
      connections_.emplace_back(&FakeDiscord::Serve, this, pipe.Release(), next_connection_++);
    }
    pipe = std::move(next);
  }
}

bool FakeDiscord::Send(HANDLE pipe, HANDLE done, std::uint32_t opcode, const std::string& payload) {
  // One write per frame, as Discord does.
  std::string frame = EncodeDiscordFrame(opcode, payload);
  OVERLAPPED overlapped = {};
  overlapped.hEvent = done;
  ::ResetEvent(done);
  if (!::WriteFile(pipe, frame.data(), static_cast<DWORD>(frame.size()), nullptr, &overlapped) &&
      ::GetLastError() != ERROR_IO_PENDING)
    return false;
  if (::WaitForSingleObject(done, kWriteWaitMs) != WAIT_OBJECT_0) {
    Abandon(pipe, &overlapped);
    return false;
  }
  DWORD written = 0;
  return ::GetOverlappedResult(pipe, &overlapped, &written, FALSE) && written == frame.size();
}

void FakeDiscord::Serve(HANDLE instance, int connection) {
  using Clock = std::chrono::steady_clock;
  ScopedFileHandle pipe(instance);
  ScopedHandle read_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle write_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  DiscordSession session;
  bool ready_pending = false;
  Clock::time_point ready_at;
  std::string buffer(kPipeBuffer, '\0');
  if (!options_.reads) {
    // Never reads; peeking leaves the pipe full and tells when the client
    // has let go of its end.
    while (::WaitForSingleObject(stop_.Get(), 50) == WAIT_TIMEOUT) {
      DWORD available = 0;
      if (!::PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &available, nullptr)) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++dropped_;
        return;
      }
    }
    return;
  }

  for (;;) {
    OVERLAPPED overlapped = {};
    overlapped.hEvent = read_done.Get();
    ::ResetEvent(read_done.Get());
    if (!::ReadFile(pipe.Get(), &buffer[0], kPipeBuffer, nullptr, &overlapped) &&
        ::GetLastError() != ERROR_IO_PENDING)
      return;  // the client has gone
    for (;;) {
      DWORD wait = INFINITE;
      if (ready_pending) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(ready_at - Clock::now());
        wait = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
      }
      const HANDLE events[] = {read_done.Get(), stop_.Get()};
      const DWORD woke = ::WaitForMultipleObjects(2, events, FALSE, wait);
      if (woke == WAIT_OBJECT_0)
        break;
      if (woke == WAIT_TIMEOUT) {
        ready_pending = false;
        Send(pipe.Get(), write_done.Get(), kDiscordOpFrame, session.Ready());
        continue;
      }
      Abandon(pipe.Get(), &overlapped);
      return;
    }
    DWORD read = 0;
    if (!::GetOverlappedResult(pipe.Get(), &overlapped, &read, FALSE))
      return;  // broken: the client closed its end

    for (DiscordTurn& turn : session.Receive(buffer.substr(0, read))) {
      turn.record.connection = connection;
      Record(turn.record);
      if (turn.reply)
        Send(pipe.Get(), write_done.Get(), turn.reply->first, turn.reply->second);
      if (turn.ready_due) {
        ready_pending = true;
        ready_at = Clock::now() + options_.ready_delay;
      }
      if (turn.end)
        return;  // closing the handle ends the connection
    }
  }
}

}  // namespace e2e
