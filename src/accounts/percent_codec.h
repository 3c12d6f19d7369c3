// Percent encoding of the store's file lines and of the page bridge's
// arguments.
//
// Encoding copies only the unreserved bytes A-Z a-z 0-9 - _ . ~ and writes
// every other byte as '%' and two upper-case hex digits, so a space is "%20",
// never '+', and an encoded text never holds '|', '+', '%' as data, a space or
// a line break. Decoding is form decoding: '+' is a space, hex digits of
// either case are accepted, any other character in a digit's place counts as
// 0, and a '%' with fewer than two characters after it is copied as it is.
//
// Decoding maps many texts to one byte string ("+" and "%20" are both a
// space, "%2b" and "%2B" both a plus sign); encoding gives exactly one of
// them. A text already in that form (IsEncodedForm) can stand for its
// decoding wherever the decoding would only be encoded again, and two such
// texts are equal exactly when their decodings are.

#ifndef ZLM_ACCOUNTS_PERCENT_CODEC_H_
#define ZLM_ACCOUNTS_PERCENT_CODEC_H_

#include <cstddef>
#include <string>
#include <string_view>

std::string PercentEncode(std::string_view bytes);
std::string PercentDecode(std::string_view text);

// True when |text| is exactly PercentEncode(PercentDecode(text)): unreserved
// bytes, and '%' with two upper-case hex digits of a byte that is not one.
bool IsEncodedForm(std::string_view text);

namespace percent_codec_internal {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr bool IsUnreservedByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == '.' || c == '~';
}

// One look-up per byte instead of a chain of comparisons: a change to the
// store checks every byte of every line it rewrites.
struct UnreservedTable {
  bool byByte[256];
  constexpr UnreservedTable() : byByte() {
    for (int c = 0; c < 256; ++c)
      byByte[c] = IsUnreservedByte(static_cast<unsigned char>(c));
  }
};
inline constexpr UnreservedTable kUnreserved;

constexpr bool IsUnreserved(char c) {
  return kUnreserved.byByte[static_cast<unsigned char>(c)];
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

// The inverse of kHexDigits: the value of an upper-case hex digit, or -1.
constexpr int UpperHexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Bytes that stay as they are go over in runs, not one push_back each.
template <typename String>
void AppendRun(std::string_view text, std::size_t begin, std::size_t end, String& out) {
  out.insert(out.end(), text.data() + begin, text.data() + end);
}

}  // namespace percent_codec_internal

// One step of decoding: the byte that |text| gives at |i| (below its size),
// and how many characters it takes there.
struct DecodedByte {
  char byte;
  std::size_t length;
};

constexpr DecodedByte DecodeAt(std::string_view text, std::size_t i) {
  using percent_codec_internal::HexValue;
  if (text[i] == '%' && i + 2 < text.size())
    return {static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])), 3};
  return {text[i] == '+' ? ' ' : text[i], 1};
}

// The same codec appending to any char container (std::string, SecretBytes),
// so that passwords are encoded and decoded straight into wiped memory.
template <typename String>
void AppendPercentEncoded(std::string_view bytes, String& out) {
  using namespace percent_codec_internal;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t runStart = i;
    while (i < bytes.size() && IsUnreserved(bytes[i]))
      ++i;
    AppendRun(bytes, runStart, i, out);
    if (i == bytes.size())
      break;
    const auto byte = static_cast<unsigned char>(bytes[i++]);
    out.push_back('%');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
  }
}

template <typename String>
void AppendPercentDecoded(std::string_view text, String& out) {
  using namespace percent_codec_internal;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t runStart = i;
    while (i < text.size() && text[i] != '%' && text[i] != '+')
      ++i;
    AppendRun(text, runStart, i, out);
    if (i == text.size())
      break;
    const DecodedByte decoded = DecodeAt(text, i);
    out.push_back(decoded.byte);
    i += decoded.length;
  }
}

#endif  // ZLM_ACCOUNTS_PERCENT_CODEC_H_
