#include "accounts/utf8_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(Utf8CheckTest, AcceptsShortestFormsAndRefusesEverythingElse) {
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"empty", "", true},
      {"ASCII with a NUL", "a\0b"s, true},
      {"two bytes, lowest", "\xC2\x80", true},
      {"three bytes, lowest", "\xE0\xA0\x80", true},
      {"last before the surrogates", "\xED\x9F\xBF", true},
      {"first after the surrogates", "\xEE\x80\x80", true},
      {"U+FFFD itself", "\xEF\xBF\xBD", true},
      {"four bytes, lowest", "\xF0\x90\x80\x80", true},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
      {"mixed text", "\xC5\x9F\xC3\xBC-\xE2\x82\xAC-\xF0\x9F\x8E\xAE", true},

      {"overlong NUL", "\xC0\x80", false},
      {"overlong two-byte lead C1", "\xC1\xBF", false},
      {"overlong three bytes", "\xE0\x9F\xBF", false},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", false},
      {"high surrogate", "\xED\xA0\x80", false},
      {"low surrogate", "\xED\xBF\xBF", false},
      {"surrogate pair as CESU-8", "\xED\xA0\xBD\xED\xB8\x80", false},
      {"U+110000", "\xF4\x90\x80\x80", false},
      {"lead F5", "\xF5\x80\x80\x80", false},
      {"byte FF", "\xFF", false},
      {"lone continuation", "\x80", false},
      {"two-byte cut off at the end", "a\xC3", false},
      {"three-byte cut off at the end", "\xE2\x82", false},
      {"four-byte cut off at the end", "\xF0\x9F\x8E", false},
      {"cut off before ASCII", "\xE2\x82" "a", false},
      {"continuation missing in the middle", "\xF0\x9F\x8E" "a" "\xAE", false},
      {"Latin-1 text", "\xFCser", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.what;
}

}  // namespace
