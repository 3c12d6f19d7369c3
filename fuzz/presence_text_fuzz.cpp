// The page sets the card's text with any bytes it likes: every text must give
// a command that Discord parses, with a details line inside its limits, and
// escaping must give back the text itself.

#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "app/json_escape.h"
#include "presence/presence_text.h"

namespace {

// Characters as Discord counts them (UTF-16 units) of valid UTF-8.
std::size_t Utf16Units(const std::string& utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80)
      units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

bool IsValidUtf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t bar = text.find('|');
  SetPresenceText(text.substr(0, bar), bar == std::string::npos ? "" : text.substr(bar + 1));
  const std::string command = BuildActivityJson(4242);

  // A JSON parser refuses invalid UTF-8, which Discord replaces instead, so
  // only valid text is judged by it.
  if (!IsValidUtf8(text))
    return 0;
  const auto parsed = nlohmann::json::parse(command, nullptr, false);
  if (parsed.is_discarded())
    __builtin_trap();
  const std::size_t units = Utf16Units(parsed["args"]["activity"]["details"].get<std::string>());
  if (units < 2 || units > 128)
    __builtin_trap();
  if (nlohmann::json::parse("\"" + JsonEscape(text) + "\"").get<std::string>() != text)
    __builtin_trap();
  return 0;
}
