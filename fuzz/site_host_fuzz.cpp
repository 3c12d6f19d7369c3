// Host and path joining over arbitrary text: no overflow, no crash, and the
// host never holds the separators it was cut at.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string host = SiteHostOf(text);
  if (host.find('/') != std::string::npos || host.size() > text.size())
    __builtin_trap();

  const std::wstring wide(text.begin(), text.end());
  const std::wstring half = wide.substr(0, wide.size() / 2);
  const std::wstring joined = JoinPath(half, wide.substr(wide.size() / 2));
  if (joined.size() < wide.size() || joined.size() > wide.size() + 1)
    __builtin_trap();
  (void)ExeDirFromPath(wide);
  return 0;
}
