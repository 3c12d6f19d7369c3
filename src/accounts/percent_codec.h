// Percent encoding of the store's file lines and of the page bridge's
// arguments.
//
// Encoding copies only the unreserved bytes A-Z a-z 0-9 - _ . ~ and writes
// every other byte as '%' and two upper-case hex digits, so a space is "%20",
// never '+', and an encoded text never holds '|', '+', '%' as data, a space or
// a line break. Decoding is form decoding: '+' is a space, hex digits of
// either case are accepted, any other character in a digit's place counts as
// 0, and a '%' with fewer than two characters after it is copied as it is.

#ifndef ZLM_ACCOUNTS_PERCENT_CODEC_H_
#define ZLM_ACCOUNTS_PERCENT_CODEC_H_

#include <cstddef>
#include <string>
#include <string_view>

std::string PercentEncode(std::string_view bytes);
std::string PercentDecode(std::string_view text);

namespace percent_codec_internal {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == '.' || c == '~';
}

constexpr unsigned HexValue(char c) {
  if (c >= '0' && c <= '9')
    return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f')
    return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F')
    return static_cast<unsigned>(c - 'A' + 10);
  return 0;
}

}  // namespace percent_codec_internal

// The same codec appending to any char container (std::string, SecretBytes),
// so that passwords are encoded and decoded straight into wiped memory.
template <typename String>
void AppendPercentEncoded(std::string_view bytes, String& out) {
  using namespace percent_codec_internal;
  for (const char c : bytes) {
    if (IsUnreserved(c)) {
      out.push_back(c);
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out.push_back('%');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
  }
}

template <typename String>
void AppendPercentDecoded(std::string_view text, String& out) {
  using namespace percent_codec_internal;
  out.reserve(out.size() + text.size());  // decoding never lengthens a text
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 3;
    } else {
      out.push_back(text[i] == '+' ? ' ' : text[i]);
      ++i;
    }
  }
}

#endif  // ZLM_ACCOUNTS_PERCENT_CODEC_H_
