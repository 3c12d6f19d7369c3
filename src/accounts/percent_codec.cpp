#include "accounts/percent_codec.h"

std::string PercentEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  AppendPercentEncoded(bytes, out);
  return out;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());  // decoding never lengthens a text
  AppendPercentDecoded(text, out);
  return out;
}

bool IsEncodedForm(std::string_view text) {
  using namespace percent_codec_internal;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsUnreserved(text[i])) {
      ++i;
      continue;
    }
    if (text[i] != '%' || text.size() - i < 3)
      return false;
    const int high = UpperHexValue(text[i + 1]);
    const int low = UpperHexValue(text[i + 2]);
    if (high < 0 || low < 0 || IsUnreserved(static_cast<char>(high * 16 + low)))
      return false;
    i += 3;
  }
  return true;
}
