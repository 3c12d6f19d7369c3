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

std::string LinesOf(const Pairs& pairs) {
  return std::string(AsStringView(BuildAccountLines(ListOf(pairs))));
}

TEST(AccountsListJsonTest, ListsNamesInOrderWithoutPasswords) {
  EXPECT_EQ(AccountsListJsonFromLines(""), "[]");
  EXPECT_EQ(AccountsListJsonFromLines("no bar\n\n"), "[]");
  EXPECT_EQ(AccountsListJsonFromLines("b|secret\na|secret\nb|2\n"),
            R"([{"u":"b"},{"u":"a"},{"u":"b"}])");
  // Hand-written forms list as they decode.
  EXPECT_EQ(AccountsListJsonFromLines("a+b|x\nno bar\n%61%7c|y\r\n%|z"),
            R"([{"u":"a b"},{"u":"a|"},{"u":"%"}])");
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
    EXPECT_EQ(AccountsListJsonFromLines(LinesOf({{c.name, ""}})),
              R"([{"u":")" + c.escaped + R"("}])")
        << testing::PrintToString(c.name);
}

TEST(AccountsListJsonTest, IsValidJsonWhateverAsciiBytesTheNamesHold) {
  Pairs pairs;
  for (int b = 0; b < 0x80; ++b)
    pairs.push_back({std::string(1, static_cast<char>(b)) + "\\\"\xC5\x9F", ""});

  const nlohmann::json parsed = nlohmann::json::parse(AccountsListJsonFromLines(LinesOf(pairs)));
  ASSERT_TRUE(parsed.is_array());
  ASSERT_EQ(parsed.size(), pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    ASSERT_EQ(parsed[i].size(), 1u);
    EXPECT_EQ(parsed[i].at("u").get<std::string>(), pairs[i].first) << "byte " << i;
  }
}

TEST(AccountLinesChangeTest, PutReplacesTheFirstRecordInPlaceOrAppends) {
  std::string lines = "d|1\ne|3\nd|2\n";
  for (const auto& [user, password] : Pairs{{"d", "new"}, {"D", "upper"}, {"d ", "space"}})
    lines = std::string(AsStringView(LinesWithAccount(lines, user, password)));
  // Names are compared byte for byte.
  EXPECT_EQ(lines, "d|new\ne|3\nd|2\nD|upper\nd%20|space\n");
  EXPECT_EQ(AsStringView(LinesWithAccount("", "u", "")), "u|\n");
}

TEST(AccountLinesChangeTest, RemoveTakesEveryRecordOfTheUser) {
  bool wasStored = false;
  EXPECT_EQ(AsStringView(LinesWithoutAccount("d|1\ne|3\nd|2\nf|4\n", "d", wasStored)),
            "e|3\nf|4\n");
  EXPECT_TRUE(wasStored);
  EXPECT_EQ(AsStringView(LinesWithoutAccount("e|3\nf|4\n", "absent", wasStored)), "e|3\nf|4\n");
  EXPECT_FALSE(wasStored);
  EXPECT_EQ(AsStringView(LinesWithoutAccount("", "absent", wasStored)), "");
  EXPECT_FALSE(wasStored);
}

TEST(AccountLinesChangeTest, PasswordIsTheFirstRecordsOfExactlyThatName) {
  const std::string lines = "d|1\ne|\nd|2\n";
  EXPECT_EQ(PasswordFromLines(lines, "d"), "1");
  EXPECT_EQ(PasswordFromLines(lines, "e"), "");  // a stored empty password
  EXPECT_EQ(PasswordFromLines(lines, "D"), "");
  EXPECT_EQ(PasswordFromLines(lines, ""), "");
  EXPECT_EQ(PasswordFromLines("|p\n", ""), "p");
}

// A store written by hand: a change writes every line it keeps as a save of
// the loaded list would (lines without '|' gone, every field in encoded form,
// a line feed after the last), and finds names in whatever form they are
// written.
TEST(AccountLinesChangeTest, HandWrittenLinesAreReadAndRewrittenAsAFreshSaveWould) {
  struct Case {
    std::string lines;
    std::string user;
    bool stored;
    std::string password;  // the stored one
    std::string afterPut;  // with the password "P"
    std::string afterRemove;
  };
  const Case cases[] = {
      {"a+b|1\n", "a b", true, "1", "a%20b|P\n", ""},
      {"%61%20b|1\n", "a b", true, "1", "a%20b|P\n", ""},
      {"a%2bb|p+w%7c|x", "a+b", true, "p w||x", "a%2Bb|P\n", ""},
      {"%64|%zz\n%64|2", "d", true, "\0"s, "d|P\nd|2\n", ""},
      {"x|1\r\nno bar\n\n%|%\ny|2", "y", true, "2", "x|1%0D\n%25|%25\ny|P\n", "x|1%0D\n%25|%25\n"},
      {"\xC5\x9F|\xFF\n", "\xC5\x9F", true, "\xFF", "%C5%9F|P\n", ""},
      {"a%20b|1\n", "a+b", false, "", "a%20b|1\na%2Bb|P\n", "a%20b|1\n"},
      {"ab|1\n", "a", false, "", "ab|1\na|P\n", "ab|1\n"},  // a longer name that starts alike
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.lines) + " user " + testing::PrintToString(c.user));
    EXPECT_EQ(PasswordFromLines(c.lines, c.user), c.password);
    EXPECT_EQ(AsStringView(LinesWithAccount(c.lines, c.user, "P")), c.afterPut);
    bool wasStored = !c.stored;
    EXPECT_EQ(AsStringView(LinesWithoutAccount(c.lines, c.user, wasStored)), c.afterRemove);
    EXPECT_EQ(wasStored, c.stored);
  }
}

}  // namespace
