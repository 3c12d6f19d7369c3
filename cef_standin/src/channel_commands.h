// The page channel's request handling: one JSON request line in, one JSON reply
// line out. Independent of the pipe, so it is driven the same way in-process.
#ifndef CEF_STANDIN_SRC_CHANNEL_COMMANDS_H_
#define CEF_STANDIN_SRC_CHANNEL_COMMANDS_H_

#include <cstdint>
#include <functional>
#include <string>

namespace standin {

class ChannelHost {
 public:
  virtual ~ChannelHost() {}
  // Runs work on the UI thread and returns after it ran; false if it could not.
  virtual bool RunOnUi(const std::function<void()>& work) = 0;
  // Lets about ms milliseconds pass while the page works; false when the channel
  // is stopping and waiting must end.
  virtual bool Wait(int ms) = 0;
  // The same, but ends as soon as the page changed after the count `seen`
  // (see page_records.h).
  virtual bool WaitForChange(int ms, std::uint64_t /*seen*/) { return Wait(ms); }
};

// Lines longer than this are refused.
constexpr std::size_t kMaxChannelLine = 1024 * 1024;

// Never throws; the reply has no line end.
std::string HandleChannelLine(const std::string& line, ChannelHost& host);

// The reply to a line that exceeded kMaxChannelLine.
std::string LineTooLongReply();

}  // namespace standin

#endif  // CEF_STANDIN_SRC_CHANNEL_COMMANDS_H_
