// The page sends any text it likes: parsing never reads past the request,
// and every argument is the request's own tail.

#include <cstddef>
#include <cstdint>
#include <string>

#include "bridge/query_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string request(reinterpret_cast<const char*>(data), size);
  const QueryCommand command = ParseQuery(request);
  if (command.argument.size() > request.size() ||
      request.compare(request.size() - command.argument.size(), std::string::npos,
                      command.argument) != 0)
    __builtin_trap();
  const BarSplit split = SplitAtFirstBar(command.argument);
  if (split.first.size() + split.second.size() + (split.hasBar ? 1 : 0) !=
      command.argument.size())
    __builtin_trap();
  const WindowCommand window = ParseWindowCommand(command.argument);
  const int percent = ReadPercent(window.argument);
  if (percent > 0 && ZoomLevelForPercent(percent) != ZoomLevelForPercent(percent))
    __builtin_trap();  // NaN
  IsGameOrigin(request, "play.zelmora.example");
  IsOpenableLink(command.argument);
  return 0;
}
