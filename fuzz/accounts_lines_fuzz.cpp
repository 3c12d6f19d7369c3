// accounts.dat's plaintext and the page's encoded arguments can hold any
// bytes: decoding and line parsing must take them all, and whatever they
// give must come back unchanged once written out again.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "accounts/account_list.h"
#include "accounts/percent_codec.h"

namespace {

bool SameAccounts(const AccountList& a, const AccountList& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Account& x, const Account& y) {
    return x.user == y.user && x.password == y.password;
  });
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string decoded = PercentDecode(input);
  if (decoded.size() > input.size() || PercentDecode(PercentEncode(decoded)) != decoded)
    __builtin_trap();

  const AccountList accounts = ParseAccountLines(input);
  if (accounts.size() > static_cast<std::size_t>(std::count(input.begin(), input.end(), '|')))
    __builtin_trap();
  const SecretBytes lines = BuildAccountLines(accounts);
  const AccountList again = ParseAccountLines(AsStringView(lines));
  if (!SameAccounts(accounts, again) || BuildAccountLines(again) != lines)
    __builtin_trap();

  // The list text must parse as JSON and give the names back; nlohmann also
  // insists on valid UTF-8, which ASCII names always are.
  if (std::all_of(accounts.begin(), accounts.end(),
                  [](const Account& account) { return IsAscii(account.user); })) {
    const nlohmann::json list = nlohmann::json::parse(BuildAccountsListJson(accounts), nullptr, false);
    if (list.is_discarded() || list.size() != accounts.size())
      __builtin_trap();
    for (std::size_t i = 0; i < accounts.size(); ++i)
      if (list[i].at("u").get<std::string>() != accounts[i].user)
        __builtin_trap();
  }
  return 0;
}
