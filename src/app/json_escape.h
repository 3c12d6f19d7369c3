// Escaping for text that the launcher places inside JSON strings it builds
// (the account list, the presence command).

#ifndef ZLM_APP_JSON_ESCAPE_H_
#define ZLM_APP_JSON_ESCAPE_H_

#include <string>
#include <string_view>

// The body of a JSON string (without its quotes) that holds |text|. Quote and
// backslash are escaped, line feed, carriage return and tab become \n \r \t,
// and the other control bytes below 0x20 become \u00XX: a JSON parser refuses
// them raw, and Discord closes the pipe on a payload it cannot parse. Bytes of
// 0x80 and above pass through untouched, so UTF-8 stays UTF-8.
std::string JsonEscape(const std::string& text);

// The same, appended to |out|, for texts built piece by piece.
void AppendJsonEscaped(std::string_view text, std::string& out);

// True when |text| may stand inside a JSON string as it is: no quote, no
// backslash, no control byte. For compiled-in texts written verbatim.
constexpr bool IsJsonSafeLiteral(const char* text) {
  for (; *text; ++text) {
    const unsigned char byte = static_cast<unsigned char>(*text);
    if (byte == '"' || byte == '\\' || byte < 0x20)
      return false;
  }
  return true;
}

#endif  // ZLM_APP_JSON_ESCAPE_H_
