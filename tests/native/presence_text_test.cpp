// The card's texts and the SET_ACTIVITY command built from them.

#include "presence/presence_text.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "common/json_print.h"
#include "app/json_escape.h"
#include "product_config.h"

namespace {

const std::string kSavasG = " - Sava\xC5\x9F G:";  // " - Savaş G:"

class PresenceTextTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    std::lock_guard<std::mutex> lock(presenceMutex);
    presenceDetails = kDefaultPresenceDetails;
    presenceState = kDefaultPresenceState;
    presenceDirty.exchange(false);
    presenceStartTime.store(0);
  }

  static std::string Details() {
    std::lock_guard<std::mutex> lock(presenceMutex);
    return presenceDetails;
  }
  static std::string State() {
    std::lock_guard<std::mutex> lock(presenceMutex);
    return presenceState;
  }
};

std::vector<std::string> KeysOf(const nlohmann::ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items())
    keys.push_back(item.key());
  return keys;
}

TEST_F(PresenceTextTest, BuildsTheExactCommandThatParsesWithMembersInOrder) {
  const std::string tail =
      "},\"assets\":{\"large_image\":\"logo\",\"large_text\":\"Zelmora\"},\"buttons\":["
      "{\"label\":\"Discord'a Kat\xC4\xB1l\",\"url\":\"" ZLM_DISCORD_INVITE_URL "\"},"
      "{\"label\":\"Web Sitesi\",\"url\":\"" ZLM_WEBSITE_URL "\"}]}}}";
  const struct {
    const char* name;
    std::string first, second;
    std::uint32_t pid;
    std::int64_t start;
    std::string expected;  // from "pid" to the start time
    std::string details;   // as a JSON parser reads it back
  } cases[] = {
      {"before any change", {}, {}, 4242, 1700000123,
       "4242,\"activity\":{\"details\":\"Zelmora 5.5 PvP\",\"state\":\"Oyunda\","
       "\"timestamps\":{\"start\":1700000123",
       "Zelmora 5.5 PvP"},
      {"changed, with characters JSON escapes", "Arena \"Kral\" C:\\", "3\n\t\r", 4294967295u,
       -1,
       "4294967295,\"activity\":{\"details\":\"Arena \\\"Kral\\\" C:\\\\" + kSavasG +
           "3\\n\\t\\r\",\"state\":\"Oyunda\",\"timestamps\":{\"start\":-1",
       "Arena \"Kral\" C:\\" + kSavasG + "3\n\t\r"},
      {"form feed from the page", "Sayfa\fmetni", {}, 7, 1,
       "7,\"activity\":{\"details\":\"Sayfa\\u000Cmetni\",\"state\":\"Oyunda\","
       "\"timestamps\":{\"start\":1",
       "Sayfa\fmetni"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.first.empty() || !c.second.empty())
      SetPresenceText(c.first, c.second);
    presenceStartTime.store(c.start);

    const std::string json = BuildActivityJson(c.pid);
    EXPECT_EQ(json, "{\"cmd\":\"SET_ACTIVITY\",\"nonce\":\"zlm-1\",\"args\":{\"pid\":" +
                        c.expected + tail);

    const auto parsed = nlohmann::ordered_json::parse(json);
    EXPECT_EQ(KeysOf(parsed), (std::vector<std::string>{"cmd", "nonce", "args"}));
    EXPECT_EQ(KeysOf(parsed["args"]), (std::vector<std::string>{"pid", "activity"}));
    const auto& activity = parsed["args"]["activity"];
    EXPECT_EQ(KeysOf(activity), (std::vector<std::string>{"details", "state", "timestamps",
                                                          "assets", "buttons"}));
    EXPECT_EQ(activity["details"], c.details);
    EXPECT_EQ(activity["timestamps"]["start"], c.start);
    EXPECT_EQ(parsed["args"]["pid"], c.pid);
    EXPECT_EQ(activity["buttons"][0]["label"], "Discord'a Kat\xC4\xB1l");
  }
}

TEST_F(PresenceTextTest, JoinsThePageFieldsIntoTheDetailsLine) {
  const struct {
    std::string first, second, details;
  } cases[] = {
      {"Arena", "3", "Arena" + kSavasG + "3"},
      {"Arena", "", "Arena"},
      {"", "3", kSavasG + "3"},
      {"", "", kDefaultPresenceDetails},
      {"a", "b|c", "a" + kSavasG + "b|c"},  // the caller splits at the first "|" only
      {"%41rena", "", "%41rena"},           // never decoded
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first + " / " + c.second);
    SetPresenceText("changed", "before");
    SetPresenceText(c.first, c.second);
    EXPECT_EQ(Details(), c.details);
    EXPECT_EQ(State(), kDefaultPresenceState);
  }
}

TEST_F(PresenceTextTest, EveryCallRaisesTheDirtyFlagEvenForTheSameText) {
  SetPresenceText("Arena", "3");
  EXPECT_TRUE(presenceDirty.exchange(false));
  SetPresenceText("Arena", "3");
  EXPECT_TRUE(presenceDirty.exchange(false));
  SetPresenceText("", "");
  EXPECT_TRUE(presenceDirty.exchange(false));
}

// Discord refuses details of fewer than 2 or more than 128 characters, counted
// in UTF-16 units of the text it decodes, and then keeps the previous card.
TEST_F(PresenceTextTest, KeepsTheDetailsLineWithinDiscordsLimits) {
  const std::string a127(127, 'a');
  std::string sh200;  // 200 x "ş", two bytes each
  for (int i = 0; i < 200; ++i)
    sh200 += "\xC5\x9F";
  const std::string emoji = "\xF0\x9F\x98\x80";  // one character, two UTF-16 units
  const struct {
    const char* name;
    std::string first, details;
  } cases[] = {
      {"one letter", "x", kDefaultPresenceDetails},
      {"one two-byte letter", "\xC4\xB1", kDefaultPresenceDetails},
      {"one stray byte (one U+FFFD)", "\xFF", kDefaultPresenceDetails},
      {"a broken sequence (one U+FFFD)", "\xE2\x82", kDefaultPresenceDetails},
      {"one emoji is two units", emoji, emoji},
      {"two letters", "ab", "ab"},
      {"128 letters", a127 + "a", a127 + "a"},
      {"129 letters", a127 + "ab", a127 + "a"},
      {"128 characters in 129 bytes", a127 + "\xC4\xB1", a127 + "\xC4\xB1"},
      {"an emoji is not split", a127 + emoji, a127},
      {"multi-byte letters cut between letters", sh200, sh200.substr(0, 256)},
      {"broken sequence then more", a127 + "\xE2\x82" + "b", a127 + "\xE2\x82"},
      {"control bytes count once", std::string(130, '\f'), std::string(128, '\f')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetPresenceText(c.first, "");
    EXPECT_EQ(Details(), c.details);
  }
  SetPresenceText(a127, "3");  // the joined line counts
  EXPECT_EQ(Details(), (a127 + kSavasG).substr(0, 128));
}

TEST(JsonEscapeTest, EscapesWhatJsonRequiresAndNothingElse) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"Arena 5.5 PvP/1", "Arena 5.5 PvP/1"},
      {"\"", "\\\""},
      {"\\", "\\\\"},
      {"\n\r\t", "\\n\\r\\t"},
      {"\f", "\\u000C"},
      {"\b", "\\u0008"},
      {std::string(1, '\0'), "\\u0000"},
      {"\x1F", "\\u001F"},
      {"\x7F", "\x7F"},
      {"Sava\xC5\x9F \xC4\xB1", "Sava\xC5\x9F \xC4\xB1"},  // UTF-8 untouched
      {"\xFF\xC0", "\xFF\xC0"},                             // as are stray bytes
  };
  for (const auto& c : cases)
    EXPECT_EQ(JsonEscape(c.in), c.out) << testing::PrintToString(c.in);
}

TEST(JsonEscapeTest, EveryAsciiByteRoundTripsThroughAJsonParser) {
  for (int byte = 0; byte < 0x80; ++byte) {
    const std::string text = "<" + std::string(1, static_cast<char>(byte)) + ">";
    const auto parsed = nlohmann::json::parse("\"" + JsonEscape(text) + "\"");
    EXPECT_EQ(parsed.get<std::string>(), text) << "byte " << byte;
  }
}

}  // namespace
