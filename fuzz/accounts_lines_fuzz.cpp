// accounts.dat's plaintext and the page's encoded arguments can hold any
// bytes: decoding and line parsing must take them all, whatever they give
// must come back unchanged once written out again, and the commands, which
// work on the lines as they stand, must answer and rewrite exactly as the
// plain model does: parse every record, change the list, write every line.
//
// Input: one byte for the length of a user name (mod 16), the name, one byte
// for the length of a password (mod 16), the password, then the plaintext.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "accounts/account_list.h"
#include "accounts/percent_codec.h"
#include "app/json_escape.h"

namespace {

bool SameAccounts(const AccountList& a, const AccountList& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Account& x, const Account& y) {
    return x.user == y.user && x.password == y.password;
  });
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

std::string_view Take(std::string_view& input) {
  if (input.empty())
    return {};
  const std::size_t size = std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 16,
                                                 input.size() - 1);
  const std::string_view taken = input.substr(1, size);
  input.remove_prefix(1 + size);
  return taken;
}

auto IsRecordOf(std::string_view user) {
  return [user](const Account& account) { return account.user == user; };
}

std::string ModelListJson(const AccountList& accounts) {
  std::string json = "[";
  for (const Account& account : accounts)
    json += (json.size() > 1 ? ",{\"u\":\"" : "{\"u\":\"") + JsonEscape(account.user) + "\"}";
  return json + "]";
}

// The commands for |user| against the model.
void CheckCommands(std::string_view lines, const AccountList& accounts, std::string_view user,
                   std::string_view password) {
  const auto first = std::find_if(accounts.begin(), accounts.end(), IsRecordOf(user));
  const std::string stored =
      first == accounts.end() ? std::string() : std::string(AsStringView(first->password));
  if (PasswordFromLines(lines, user) != stored)
    __builtin_trap();

  AccountList put = accounts;
  const auto target = put.begin() + (first - accounts.begin());
  if (target != put.end()) {
    target->password.assign(password.begin(), password.end());
  } else {
    Account& added = put.emplace_back();
    added.user.assign(user);
    added.password.assign(password.begin(), password.end());
  }
  if (LinesWithAccount(lines, user, password) != BuildAccountLines(put))
    __builtin_trap();

  AccountList removed = accounts;
  removed.erase(std::remove_if(removed.begin(), removed.end(), IsRecordOf(user)), removed.end());
  bool wasStored = first == accounts.end();
  if (LinesWithoutAccount(lines, user, wasStored) != BuildAccountLines(removed) ||
      wasStored != (first != accounts.end()))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view whole(reinterpret_cast<const char*>(data), size);

  const std::string decoded = PercentDecode(whole);
  if (decoded.size() > whole.size() || PercentDecode(PercentEncode(decoded)) != decoded)
    __builtin_trap();
  if (IsEncodedForm(whole) != (PercentEncode(decoded) == whole))
    __builtin_trap();

  std::string_view input = whole;
  const std::string_view user = Take(input);
  const std::string_view password = Take(input);
  const std::string_view lines = input;

  const AccountList accounts = ParseAccountLines(lines);
  if (accounts.size() > static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '|')))
    __builtin_trap();
  const SecretBytes written = BuildAccountLines(accounts);
  const AccountList again = ParseAccountLines(AsStringView(written));
  if (!SameAccounts(accounts, again) || BuildAccountLines(again) != written)
    __builtin_trap();

  const std::string json = AccountsListJsonFromLines(lines);
  if (json != ModelListJson(accounts))
    __builtin_trap();
  // The list text must parse as JSON and give the names back; nlohmann also
  // insists on valid UTF-8, which ASCII names always are.
  if (std::all_of(accounts.begin(), accounts.end(),
                  [](const Account& account) { return IsAscii(account.user); })) {
    const nlohmann::json list = nlohmann::json::parse(json, nullptr, false);
    if (list.is_discarded() || list.size() != accounts.size())
      __builtin_trap();
    for (std::size_t i = 0; i < accounts.size(); ++i)
      if (list[i].at("u").get<std::string>() != accounts[i].user)
        __builtin_trap();
  }

  CheckCommands(lines, accounts, user, password);
  // Names that are stored, however they are written in the lines.
  if (!accounts.empty()) {
    CheckCommands(lines, accounts, accounts.front().user, password);
    CheckCommands(lines, accounts, accounts.back().user, password);
  }
  return 0;
}
