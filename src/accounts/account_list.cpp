#include "accounts/account_list.h"

#include <algorithm>

#include "accounts/percent_codec.h"
#include "app/json_escape.h"

namespace {

auto IsRecordOf(std::string_view user) {
  return [user](const Account& account) { return account.user == user; };
}

}  // namespace

SecretBytes BuildAccountLines(const AccountList& accounts) {
  std::size_t worst = 0;
  for (const Account& account : accounts)
    worst += 3 * (account.user.size() + account.password.size()) + 2;  // %XY per byte, '|', '\n'
  SecretBytes lines;
  lines.reserve(worst);
  for (const Account& account : accounts) {
    AppendPercentEncoded(account.user, lines);
    lines.push_back('|');
    AppendPercentEncoded(AsStringView(account.password), lines);
    lines.push_back('\n');
  }
  return lines;
}

AccountList ParseAccountLines(std::string_view plaintext) {
  AccountList accounts;
  std::size_t position = 0;
  while (position < plaintext.size()) {
    std::size_t end = plaintext.find('\n', position);
    if (end == std::string_view::npos)
      end = plaintext.size();
    const std::string_view line = plaintext.substr(position, end - position);
    position = end + 1;

    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos)
      continue;
    // Decoded in place, so no temporary holds the password.
    Account& account = accounts.emplace_back();
    AppendPercentDecoded(line.substr(0, bar), account.user);
    AppendPercentDecoded(line.substr(bar + 1), account.password);
  }
  return accounts;
}

std::string BuildAccountsListJson(const AccountList& accounts) {
  std::string json = "[";
  for (const Account& account : accounts) {
    if (json.size() > 1)
      json += ',';
    json += "{\"u\":\"";
    AppendJsonEscaped(account.user, json);
    json += "\"}";
  }
  json += ']';
  return json;
}

void PutAccount(AccountList& accounts, std::string_view user, std::string_view password) {
  const auto found = std::find_if(accounts.begin(), accounts.end(), IsRecordOf(user));
  if (found != accounts.end()) {
    found->password.assign(password.begin(), password.end());
    return;
  }
  Account& added = accounts.emplace_back();
  added.user.assign(user);
  added.password.assign(password.begin(), password.end());
}

void RemoveAccount(AccountList& accounts, std::string_view user) {
  accounts.erase(std::remove_if(accounts.begin(), accounts.end(), IsRecordOf(user)),
                 accounts.end());
}

const Account* FindAccount(const AccountList& accounts, std::string_view user) {
  const auto found = std::find_if(accounts.begin(), accounts.end(), IsRecordOf(user));
  return found == accounts.end() ? nullptr : &*found;
}
