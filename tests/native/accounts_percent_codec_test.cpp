#include "accounts/percent_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct Case {
  std::string input;
  std::string expected;
};

TEST(PercentCodecTest, EncodeKeepsOnlyUnreservedBytes) {
  const Case cases[] = {
      {"", ""},
      {"AZaz09-_.~", "AZaz09-_.~"},
      {"a b", "a%20b"},  // never '+'
      {"+|%", "%2B%7C%25"},
      {"\n\r\t"s, "%0A%0D%09"},
      {"\0"s, "%00"},
      {"*!'()/?=&", "%2A%21%27%28%29%2F%3F%3D%26"},
      {"\xC5\x9F", "%C5%9F"},          // every byte of a two-byte character
      {"\xE2\x82\xAC", "%E2%82%AC"},  // and of a three-byte one, hex upper-case
      {"\xFF\x80", "%FF%80"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PercentEncode(c.input), c.expected) << testing::PrintToString(c.input);
}

TEST(PercentCodecTest, DecodeIsFormDecoding) {
  const Case cases[] = {
      {"", ""},
      {"a+b", "a b"},
      {"%2B", "+"},
      {"%2b%7c", "+|"},  // either hex case
      {"%e2%82%AC", "\xE2\x82\xAC"},
      {"%zz", "\0"s},  // a non-hex digit counts as 0
      {"%g1%1g", "\x01\x10"s},
      {"%%41", "\x04"
               "1"s},    // the digits are the two characters after '%', whatever they are
      {"%2541", "%41"},  // decoded once only
      {"%", "%"},        // a '%' in one of the last two places is copied
      {"a%", "a%"},
      {"%4", "%4"},
      {"ab%4", "ab%4"},
      {"100%25", "100%"},
      {"%00x", "\0x"s},
      {"a|b\nc", "a|b\nc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PercentDecode(c.input), c.expected) << testing::PrintToString(c.input);
}

TEST(PercentCodecTest, EveryByteSurvivesARoundTripThroughEscapesOnly) {
  std::string allBytes;
  for (int b = 0; b < 256; ++b)
    allBytes.push_back(static_cast<char>(b));

  const std::string encoded = PercentEncode(allBytes);
  EXPECT_EQ(encoded.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~%"),
            std::string::npos);
  EXPECT_EQ(PercentDecode(encoded), allBytes);
}

// The form that encoding gives, and no other: a rewrite of the store may copy
// such a text instead of encoding its decoding again.
TEST(PercentCodecTest, EncodedFormIsExactlyWhatEncodingGives) {
  struct FormCase {
    std::string text;
    bool encodedForm;
  };
  const FormCase cases[] = {
      {"", true},
      {"AZaz09-_.~", true},
      {"a%20b%7C%25%2B%00%FF", true},
      {"a+b", false},        // '+' decodes to a space, which encodes as %20
      {"a b", false},        // a raw byte that encoding escapes
      {"p|w", false},        // so is a second '|' in a password
      {"%7c", false},        // lower-case digits
      {"%41", false},        // an escaped unreserved byte
      {"%7E", false},
      {"%zz", false},        // digits that count as 0
      {"%2", false},         // a '%' copied as it is
      {"ab%", false},
      {"\xC5\x9F", false},
      {"%C5%9F", true},
  };
  for (const FormCase& c : cases) {
    EXPECT_EQ(IsEncodedForm(c.text), c.encodedForm) << testing::PrintToString(c.text);
    EXPECT_EQ(IsEncodedForm(c.text), PercentEncode(PercentDecode(c.text)) == c.text)
        << testing::PrintToString(c.text);
  }
}

}  // namespace
