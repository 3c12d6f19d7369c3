#include "presence/presence_text.h"

#include <cstddef>

#include "app/json_escape.h"
#include "product_config.h"

std::mutex presenceMutex;
std::string presenceDetails = kDefaultPresenceDetails;
std::string presenceState = kDefaultPresenceState;
std::atomic<bool> presenceDirty{false};
std::atomic<std::int64_t> presenceStartTime{0};

namespace {

// Written into the command verbatim, so they must need no escaping.
constexpr char kInviteUrl[] = ZLM_DISCORD_INVITE_URL;
constexpr char kWebsiteUrl[] = ZLM_WEBSITE_URL;
static_assert(IsJsonSafeLiteral(kInviteUrl) && IsJsonSafeLiteral(kWebsiteUrl),
              "the button urls are written into JSON without escaping");

// Discord's limits for details and state, counted in UTF-16 units of the
// decoded text.
constexpr std::size_t kMinLineUnits = 2;
constexpr std::size_t kMaxLineUnits = 128;

struct Utf8Char {
  std::size_t bytes;  // taken from the text
  std::size_t units;  // UTF-16 units after decoding
};

// The next character of |text| at |at| as Discord decodes it: a valid
// sequence, or one U+FFFD for an invalid byte or the valid-looking start of a
// broken sequence (the WHATWG decoder's rule).
Utf8Char NextUtf8Char(const std::string& text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t trail;
  unsigned char low = 0x80, high = 0xBF;  // range of the first trail byte
  if (lead < 0x80) {
    return {1, 1};
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {1, 1};
  }
  std::size_t taken = 1;
  for (; taken <= trail; ++taken) {
    if (at + taken >= text.size())
      return {taken, 1};
    const unsigned char byte = static_cast<unsigned char>(text[at + taken]);
    if (byte < low || byte > high)
      return {taken, 1};
    low = 0x80;
    high = 0xBF;
  }
  return {taken, trail == 3 ? 2u : 1u};
}

// |line| cut to Discord's longest line at a character boundary, or the
// default line when it is too short to be accepted.
std::string FitDetailsLine(std::string line) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < line.size();) {
    const Utf8Char c = NextUtf8Char(line, at);
    if (units + c.units > kMaxLineUnits) {
      line.resize(at);
      break;
    }
    units += c.units;
    at += c.bytes;
  }
  return units < kMinLineUnits ? std::string(kDefaultPresenceDetails) : line;
}

}  // namespace

void SetPresenceText(const std::string& first, const std::string& second) {
  std::string text = first;
  if (!second.empty())
    text += " - Sava\xC5\x9F G:" + second;
  text = FitDetailsLine(std::move(text));

  std::lock_guard<std::mutex> lock(presenceMutex);
  presenceDetails = std::move(text);
  presenceState = kDefaultPresenceState;
  presenceDirty.exchange(true);
}

std::string BuildActivityJson(std::uint32_t processId) {
  std::string details, state;
  {
    std::lock_guard<std::mutex> lock(presenceMutex);
    details = presenceDetails;
    state = presenceState;
  }
  return std::string("{\"cmd\":\"SET_ACTIVITY\",\"nonce\":\"zlm-1\",\"args\":{\"pid\":") +
         std::to_string(processId) +
         ",\"activity\":{\"details\":\"" + JsonEscape(details) +
         "\",\"state\":\"" + JsonEscape(state) +
         "\",\"timestamps\":{\"start\":" + std::to_string(presenceStartTime.load()) +
         "},\"assets\":{\"large_image\":\"logo\",\"large_text\":\"Zelmora\"}"
         ",\"buttons\":[{\"label\":\"Discord'a Kat\xC4\xB1l\",\"url\":\"" + kInviteUrl +
         "\"},{\"label\":\"Web Sitesi\",\"url\":\"" + kWebsiteUrl + "\"}]}}}";
}
