#include "accounts/account_list.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using Pairs = std::vector<std::pair<std::string, std::string>>;

AccountList ListOf(const Pairs& pairs) {
  AccountList accounts;
  for (const auto& [user, password] : pairs)
    accounts.push_back({user, SecretBytes(password.begin(), password.end())});
  return accounts;
}

Pairs PairsOf(const AccountList& accounts) {
  Pairs pairs;
  for (const Account& account : accounts)
    pairs.emplace_back(account.user, std::string(AsStringView(account.password)));
  return pairs;
}

TEST(AccountLinesTest, BuildsOneEncodedLinePerAccount) {
  EXPECT_EQ(AsStringView(BuildAccountLines({})), "");
  EXPECT_EQ(AsStringView(BuildAccountLines(ListOf({{"b", "2"}, {"a", "1"}}))), "b|2\na|1\n");
  EXPECT_EQ(AsStringView(BuildAccountLines(ListOf({{"a b", "p|w%\n\r"}, {"\xC5\x9F", ""}}))),
            "a%20b|p%7Cw%25%0A%0D\n%C5%9F|\n");
}

TEST(AccountLinesTest, ParsesLinesAsTheyStand) {
  struct Case {
    std::string plaintext;
    Pairs expected;
  };
  const Case cases[] = {
      {"", {}},
      {"a|1\nb|2\n", {{"a", "1"}, {"b", "2"}}},
      {"a|1", {{"a", "1"}}},  // last line without its line feed
      {"\n\nno bar\na|1\n\n", {{"a", "1"}}},
      {"a|1\r\n", {{"a", "1\r"}}},  // the carriage return is part of the password
      {"d|1\ne|3\nd|2\n", {{"d", "1"}, {"e", "3"}, {"d", "2"}}},
      {"a|b|c\n", {{"a", "b|c"}}},  // split at the first bar
      {"|p\nu|\n", {{"", "p"}, {"u", ""}}},
      {"a%20b+c|p+q%41%\n", {{"a b c", "p qA%"}}},
      {"%00|%FF\n", {{"\0"s, "\xFF"}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PairsOf(ParseAccountLines(c.plaintext)), c.expected)
        << testing::PrintToString(c.plaintext);
}

TEST(AccountLinesTest, AnyBytesComeBackFromTheirLines) {
  std::string allBytes;
  for (int b = 0; b < 256; ++b)
    allBytes.push_back(static_cast<char>(b));
  const Pairs pairs = {{"x", allBytes}, {allBytes, "|\n%+ "}, {"", ""}, {"x", "second"}};

  EXPECT_EQ(PairsOf(ParseAccountLines(AsStringView(BuildAccountLines(ListOf(pairs))))), pairs);
}

TEST(AccountsListJsonTest, ListsNamesInOrderWithoutPasswords) {
  EXPECT_EQ(BuildAccountsListJson({}), "[]");
  EXPECT_EQ(BuildAccountsListJson(ListOf({{"b", "secret"}, {"a", "secret"}, {"b", "2"}})),
            R"([{"u":"b"},{"u":"a"},{"u":"b"}])");
}

TEST(AccountsListJsonTest, EscapesWhatJsonCannotHoldVerbatim) {
  struct Case {
    std::string name;
    std::string escaped;
  };
  const Case cases[] = {
      {R"(say "hi")", R"(say \"hi\")"},
      {R"(C:\x)", R"(C:\\x)"},
      {"a\nb\rc\td", R"(a\nb\rc\td)"},
      {"\x01\x1F"s, R"(\u0001\u001F)"},
      {"\0"s, R"(\u0000)"},
      {"\x7F/\xC5\x9F", "\x7F/\xC5\x9F"},  // DEL, slash and UTF-8 are valid as they are
  };
  for (const Case& c : cases)
    EXPECT_EQ(BuildAccountsListJson(ListOf({{c.name, ""}})), R"([{"u":")" + c.escaped + R"("}])")
        << testing::PrintToString(c.name);
}

TEST(AccountsListJsonTest, IsValidJsonWhateverAsciiBytesTheNamesHold) {
  Pairs pairs;
  for (int b = 0; b < 0x80; ++b)
    pairs.push_back({std::string(1, static_cast<char>(b)) + "\\\"\xC5\x9F", ""});

  const nlohmann::json parsed = nlohmann::json::parse(BuildAccountsListJson(ListOf(pairs)));
  ASSERT_TRUE(parsed.is_array());
  ASSERT_EQ(parsed.size(), pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    ASSERT_EQ(parsed[i].size(), 1u);
    EXPECT_EQ(parsed[i].at("u").get<std::string>(), pairs[i].first) << "byte " << i;
  }
}

TEST(AccountListTest, PutReplacesTheFirstRecordInPlaceOrAppends) {
  AccountList accounts = ListOf({{"d", "1"}, {"e", "3"}, {"d", "2"}});
  PutAccount(accounts, "d", "new");
  PutAccount(accounts, "D", "upper");  // names are compared byte for byte
  PutAccount(accounts, "d ", "space");
  EXPECT_EQ(PairsOf(accounts),
            (Pairs{{"d", "new"}, {"e", "3"}, {"d", "2"}, {"D", "upper"}, {"d ", "space"}}));
}

TEST(AccountListTest, RemoveTakesEveryRecordOfTheUser) {
  AccountList accounts = ListOf({{"d", "1"}, {"e", "3"}, {"d", "2"}, {"f", "4"}});
  RemoveAccount(accounts, "d");
  EXPECT_EQ(PairsOf(accounts), (Pairs{{"e", "3"}, {"f", "4"}}));
  RemoveAccount(accounts, "absent");
  EXPECT_EQ(PairsOf(accounts), (Pairs{{"e", "3"}, {"f", "4"}}));
}

TEST(AccountListTest, FindGivesTheFirstRecordOfExactlyThatName) {
  const AccountList accounts = ListOf({{"d", "1"}, {"e", ""}, {"d", "2"}});
  ASSERT_NE(FindAccount(accounts, "d"), nullptr);
  EXPECT_EQ(AsStringView(FindAccount(accounts, "d")->password), "1");
  ASSERT_NE(FindAccount(accounts, "e"), nullptr);  // a stored empty password is still a record
  EXPECT_EQ(FindAccount(accounts, "D"), nullptr);
  EXPECT_EQ(FindAccount(accounts, ""), nullptr);
}

}  // namespace
