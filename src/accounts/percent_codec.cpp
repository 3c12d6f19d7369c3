#include "accounts/percent_codec.h"

std::string PercentEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  AppendPercentEncoded(bytes, out);
  return out;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  AppendPercentDecoded(text, out);
  return out;
}
