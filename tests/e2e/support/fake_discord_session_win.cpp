#include "fake_discord_session.h"

#include <cctype>
#include <chrono>
#include <cstring>

#include "utf_convert.h"

namespace e2e {

namespace {

using nlohmann::json;

struct Refusal {
  int code;
  std::string message;
};

// Discord decodes payloads as UTF-8 with replacement before JSON.parse, and
// its schema counts characters as UTF-16 units.
std::string DecodeLikeDiscord(const std::string& bytes) { return WideToUtf8(Utf8ToWide(bytes)); }
std::size_t Utf16Length(const std::string& utf8) { return Utf8ToWide(utf8).size(); }

// Joi's wording: child "a" fails because [child "b" fails because ["b" <what>]].
std::string JoiMessage(const std::vector<std::string>& path, const std::string& what) {
  std::string message = "\"" + path.back() + "\" " + what;
  for (auto key = path.rbegin(); key != path.rend(); ++key)
    message = "child \"" + *key + "\" fails because [" + message + "]";
  return message;
}

std::optional<std::string> CheckString(const json& value, std::size_t min, std::size_t max) {
  if (!value.is_string())
    return std::string("must be a string");
  const std::size_t length = Utf16Length(value.get<std::string>());
  if (length == 0)
    return std::string("is not allowed to be empty");
  if (length < min)
    return "length must be at least " + std::to_string(min) + " characters long";
  if (length > max)
    return "length must be less than or equal to " + std::to_string(max) + " characters long";
  return std::nullopt;
}

bool IsUri(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == 0 || colon == std::string::npos || colon + 1 == text.size() ||
      !std::isalpha(static_cast<unsigned char>(text[0])))
    return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
      return false;
  }
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= 0x20)
      return false;
  }
  return true;
}

// Each member of |object| named in |rules| checked as a string of that length.
struct StringRule {
  const char* key;
  std::size_t min, max;
};
std::optional<Refusal> CheckStrings(const json& object, const std::vector<std::string>& path,
                                    std::initializer_list<StringRule> rules) {
  for (const StringRule& rule : rules) {
    if (!object.contains(rule.key))
      continue;
    if (auto what = CheckString(object[rule.key], rule.min, rule.max)) {
      std::vector<std::string> at = path;
      at.push_back(rule.key);
      return Refusal{4000, JoiMessage(at, *what)};
    }
  }
  return std::nullopt;
}

std::optional<Refusal> CheckButtons(const json& buttons) {
  const std::vector<std::string> path = {"activity", "buttons"};
  if (!buttons.is_array())
    return Refusal{4000, JoiMessage(path, "must be an array")};
  if (buttons.empty() || buttons.size() > 2)
    return Refusal{4000, JoiMessage(path, buttons.empty() ? "must contain at least 1 items"
                                                          : "must contain less than or equal to 2 items")};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const json& button = buttons[i];
    std::string what;
    if (!button.is_object()) {
      what = "must be an object";
    } else if (!button.contains("label") || !button.contains("url")) {
      const char* key = button.contains("label") ? "url" : "label";
      what = std::string("fails because [child \"") + key + "\" fails because [\"" + key +
             "\" is required]]";
    } else if (auto bad = CheckString(button["label"], 1, 32)) {
      what = "fails because [child \"label\" fails because [\"label\" " + *bad + "]]";
    } else if (auto badUrl = CheckString(button["url"], 1, 512)) {
      what = "fails because [child \"url\" fails because [\"url\" " + *badUrl + "]]";
    } else if (!IsUri(button["url"].get<std::string>())) {
      what = "fails because [child \"url\" fails because [\"url\" must be a valid uri]]";
    } else {
      continue;
    }
    return Refusal{4000, JoiMessage(path, "at position " + std::to_string(i) + " " + what)};
  }
  return std::nullopt;
}

std::optional<Refusal> CheckActivity(const json& activity) {
  static const char* const kKeys[] = {"state",   "details", "timestamps", "assets", "party",
                                      "secrets", "buttons", "instance",   "type"};
  if (!activity.is_object())
    return Refusal{4000, JoiMessage({"activity"}, "must be an object")};
  for (const auto& member : activity.items()) {
    bool known = false;
    for (const char* key : kKeys)
      known = known || member.key() == key;
    if (!known)
      return Refusal{4000, "child \"activity\" fails because [\"" + member.key() + "\" is not allowed]"};
  }
  if (auto refusal = CheckStrings(activity, {"activity"}, {{"state", 2, 128}, {"details", 2, 128}}))
    return refusal;
  if (activity.contains("timestamps")) {
    const json& timestamps = activity["timestamps"];
    if (!timestamps.is_object())
      return Refusal{4000, JoiMessage({"activity", "timestamps"}, "must be an object")};
    for (const char* key : {"start", "end"}) {
      if (!timestamps.contains(key))
        continue;
      if (!timestamps[key].is_number())
        return Refusal{4000, JoiMessage({"activity", "timestamps", key}, "must be a number")};
      if (timestamps[key].get<double>() < 1)
        return Refusal{4000, JoiMessage({"activity", "timestamps", key},
                                        "must be larger than or equal to 1")};
    }
  }
  if (activity.contains("assets")) {
    if (!activity["assets"].is_object())
      return Refusal{4000, JoiMessage({"activity", "assets"}, "must be an object")};
    if (auto refusal = CheckStrings(activity["assets"], {"activity", "assets"},
                                    {{"large_image", 1, 256}, {"small_image", 1, 256},
                                     {"large_text", 2, 128}, {"small_text", 2, 128}}))
      return refusal;
  }
  if (activity.contains("buttons")) {
    if (auto refusal = CheckButtons(activity["buttons"]))
      return refusal;
    if (activity.contains("secrets"))
      return Refusal{5005, "secrets cannot currently be sent with buttons"};
  }
  if (activity.contains("type")) {
    const json& type = activity["type"];
    if (!type.is_number_integer() || (type != 0 && type != 2 && type != 3 && type != 5))
      return Refusal{4000, JoiMessage({"activity", "type"}, "must be one of [0, 2, 3, 5]")};
  }
  if (activity.contains("instance") && !activity["instance"].is_boolean())
    return Refusal{4000, JoiMessage({"activity", "instance"}, "must be a boolean")};
  return std::nullopt;
}

std::optional<Refusal> CheckSetActivity(const json& args) {
  if (!args.is_object())
    return Refusal{4000, JoiMessage({"args"}, args.is_null() ? "is required" : "must be an object")};
  const json pid = args.value("pid", json());
  if (!pid.is_null() && !pid.is_number())
    return Refusal{4000, JoiMessage({"pid"}, "must be a number")};
  if (pid.is_number() && pid.get<double>() < 0)
    return Refusal{4000, JoiMessage({"pid"}, "must be larger than or equal to 0")};
  if (pid.is_null() || pid.get<double>() == 0)
    return Refusal{4002, "nonzero pid required"};
  const json activity = args.value("activity", json());
  return activity.is_null() ? std::nullopt : CheckActivity(activity);
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The activity as Discord keeps and echoes it.
json ProcessedActivity(json activity, const std::string& client_id) {
  if (activity.is_null())
    return activity;
  activity["name"] = "Zelmora Test Application";
  activity["application_id"] = client_id;
  if (!activity.contains("type"))
    activity["type"] = 0;
  if (activity.contains("timestamps")) {
    // Seconds become milliseconds: a value two or more digits shorter than now.
    const std::size_t now_digits = std::to_string(NowMs()).size();
    for (auto& stamp : activity["timestamps"].items()) {
      const double value = stamp.value().get<double>();
      if (now_digits > std::to_string(static_cast<std::int64_t>(value)).size() + 2)
        stamp.value() = static_cast<std::int64_t>(value * 1000);
    }
  }
  if (activity.contains("buttons")) {
    json labels = json::array(), urls = json::array();
    for (const json& button : activity["buttons"]) {
      labels.push_back(button["label"]);
      urls.push_back(button["url"]);
    }
    activity["buttons"] = labels;
    activity["metadata"]["button_urls"] = urls;
  }
  activity["flags"] = activity.value("instance", false) ? 1 : 0;
  activity.erase("instance");
  return activity;
}

std::string Compact(const json& value) { return value.dump(); }

std::string ClosePayload(int code, const std::string& message) {
  return Compact({{"code", code}, {"message", message}});
}

std::int32_t ReadInt32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  std::int32_t signed_value;
  std::memcpy(&signed_value, &value, sizeof value);
  return signed_value;
}

}  // namespace

std::string EncodeDiscordFrame(std::uint32_t opcode, const std::string& payload) {
  std::string frame;
  for (std::uint32_t field : {opcode, static_cast<std::uint32_t>(payload.size())}) {
    for (int shift = 0; shift < 32; shift += 8)
      frame += static_cast<char>((field >> shift) & 0xFF);
  }
  return frame + payload;
}

std::vector<DiscordTurn> DiscordSession::Receive(const std::string& chunk) {
  std::vector<DiscordTurn> turns;
  std::size_t at = 0;
  while (at < chunk.size()) {
    if (chunk.size() - at < 8) {
      DiscordTurn turn;
      turn.record.payload = chunk.substr(at);
      turn.record.answer = DiscordAnswer::kClosed;
      turn.record.code = 1003;
      turn.record.message = "data size does not match what was received";
      turn.reply = {{kDiscordOpClose, ClosePayload(1003, turn.record.message)}};
      turn.end = true;
      turns.push_back(std::move(turn));
      break;
    }
    const std::int32_t opcode = ReadInt32(chunk, at);
    const std::int32_t length = ReadInt32(chunk, at + 4);
    at += 8;
    DiscordTurn turn;
    if (opcode < 0 || opcode > 4 || length < 0) {
      turn.record.opcode = opcode;
      turn.record.answer = DiscordAnswer::kClosed;
      turn.record.code = 1003;
      turn.record.message = "protocol error";
    } else if (static_cast<std::size_t>(length) > chunk.size() - at) {
      turn.record.opcode = opcode;
      turn.record.payload = chunk.substr(at);
      turn.record.answer = DiscordAnswer::kClosed;
      turn.record.code = 1003;
      turn.record.message = "data size does not match what was received";
    } else {
      turn = Handle(opcode, chunk.substr(at, static_cast<std::size_t>(length)));
      at += static_cast<std::size_t>(length);
    }
    if (turn.record.answer == DiscordAnswer::kClosed) {
      turn.reply = {{kDiscordOpClose, ClosePayload(turn.record.code, turn.record.message)}};
      turn.end = true;
    }
    const bool end = turn.end;
    turns.push_back(std::move(turn));
    if (end)
      break;
  }
  return turns;
}

std::string DiscordSession::Ready() {
  ready_ = true;
  return Compact(json::parse(R"({"cmd":"DISPATCH","data":{"v":1,"config":{
      "cdn_host":"cdn.discordapp.com","api_endpoint":"//discord.com/api","environment":"production"},
      "user":{"id":"53908232506183680","username":"mason","discriminator":"0",
      "global_name":"Mason","avatar":null,"avatar_decoration_data":null,"bot":false,"flags":0,
      "premium_type":0}},"evt":"READY","nonce":null})"));
}

DiscordTurn DiscordSession::Handle(std::int32_t opcode, const std::string& payload) {
  DiscordTurn turn;
  turn.record.opcode = opcode;
  turn.record.payload = payload;
  try {
    turn.record.json = json::parse(DecodeLikeDiscord(payload));
  } catch (const json::exception& e) {
    turn.record.json = nullptr;
    turn.record.answer = DiscordAnswer::kClosed;
    turn.record.code = 1003;
    turn.record.message = std::string("SyntaxError: ") + e.what();
    return turn;
  }
  switch (opcode) {
    case kDiscordOpHandshake:
      return Handshake(std::move(turn));
    case kDiscordOpFrame:
      return Command(std::move(turn));
    case kDiscordOpClose:
      turn.record.answer = DiscordAnswer::kEnded;
      turn.end = true;
      return turn;
    case kDiscordOpPing:
      turn.record.answer = DiscordAnswer::kPong;
      turn.reply = {{kDiscordOpPong, Compact(turn.record.json)}};
      return turn;
    default:
      turn.record.answer = DiscordAnswer::kIgnored;
      return turn;
  }
}

DiscordTurn DiscordSession::Handshake(DiscordTurn turn) {
  auto close = [&turn](int code, std::string message) {
    turn.record.answer = DiscordAnswer::kClosed;
    turn.record.code = code;
    turn.record.message = std::move(message);
    return std::move(turn);
  };
  if (handshaken_)
    return close(1003, "already did handshake");
  const json& body = turn.record.json;
  // The transport reads the version as +v: "1" and true pass, as in JavaScript.
  const json v = body.is_object() ? body.value("v", json()) : json();
  const bool version_one = (v.is_number() && v.get<double>() == 1) ||
                           (v.is_string() && v.get<std::string>() == "1") || v == true;
  if (!version_one)
    return close(4004, "Invalid Version: " + (v.is_string() ? v.get<std::string>() : v.dump()));
  const json id = body.value("client_id", json());
  if (id.is_null() || id == "")
    return close(4000, "No Client ID Specified");
  const std::string text = id.is_string() ? id.get<std::string>() : std::string();
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return close(4000, "Invalid Client ID");
  handshaken_ = true;
  client_id_ = text;
  turn.record.answer = DiscordAnswer::kReady;
  turn.ready_due = true;
  return turn;
}

DiscordTurn DiscordSession::Command(DiscordTurn turn) {
  if (!handshaken_) {
    turn.record.answer = DiscordAnswer::kClosed;
    turn.record.code = 1003;
    turn.record.message = "did not handshake";
    return turn;
  }
  if (!ready_) {
    turn.record.answer = DiscordAnswer::kDropped;
    return turn;
  }
  const json& body = turn.record.json;
  const json cmd = body.is_object() ? body.value("cmd", json()) : json();
  const json nonce = body.is_object() ? body.value("nonce", json()) : json();
  std::optional<Refusal> refusal;
  json data;
  if (cmd == "SET_ACTIVITY") {
    const json args = body.value("args", json());
    refusal = CheckSetActivity(args);
    if (!refusal)
      data = ProcessedActivity(args.value("activity", json()), client_id_);
  } else {
    refusal = Refusal{4002, "Invalid command: " + (cmd.is_string() ? cmd.get<std::string>() : cmd.dump())};
  }
  if (refusal) {
    turn.record.answer = DiscordAnswer::kRefused;
    turn.record.code = refusal->code;
    turn.record.message = refusal->message;
    data = {{"code", refusal->code}, {"message", refusal->message}};
  } else {
    turn.record.answer = DiscordAnswer::kAccepted;
  }
  json reply = {{"cmd", cmd}, {"data", data}, {"evt", refusal ? json("ERROR") : json()}, {"nonce", nonce}};
  turn.reply = {{kDiscordOpFrame, Compact(reply)}};
  return turn;
}

}  // namespace e2e
