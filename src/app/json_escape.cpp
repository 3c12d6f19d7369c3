#include "app/json_escape.h"

std::string JsonEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  AppendJsonEscaped(text, out);
  return out;
}

void AppendJsonEscaped(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '"':  out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0x0F];
        } else {
          out += c;
        }
    }
  }
}
