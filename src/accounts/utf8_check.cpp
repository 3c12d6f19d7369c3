#include "accounts/utf8_check.h"

#include <cstddef>

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range does the work of refusing overlong forms
    // (E0, F0), surrogates (ED) and code points beyond U+10FFFF (F4); the
    // leads C0, C1 and F5..FF never start a well-formed sequence.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0)
        low = 0xA0;
      else if (lead == 0xED)
        high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0)
        low = 0x90;
      else if (lead == 0xF4)
        high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < length)
      return false;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high)
      return false;
    for (std::size_t k = 2; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if (next < 0x80 || next > 0xBF)
        return false;
    }
    i += length;
  }
  return true;
}
