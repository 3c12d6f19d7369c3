#include "app/restart_switch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(RestartSwitchTest, ProcessIdFromTheFirstSwitch) {
  struct Case {
    const wchar_t* commandLine;
    std::optional<std::uint32_t> expected;
  };
  const Case cases[] = {
      {L"--zlm-restart=5000", 5000u},
      {L"--zlm-restart=123abc", 123u},
      {L"--zlm-restart=abc123", std::nullopt},
      {L"--zlm-restart=", std::nullopt},
      {L"--zlm-restart= 42", std::nullopt},
      {L"--zlm-restart=-42", std::nullopt},
      {L"--zlm-restart=+42", std::nullopt},
      {L"--zlm-restart=\xFF14\xFF12", std::nullopt},  // full-width digits are not digits here
      {L"--zlm-restart=0", 0u},
      {L"--zlm-restart=0x10", 0u},
      // Anywhere in the text, case-sensitive, only the first one counts.
      {L"--type=browser --zlm-restart=77 --lang=tr", 77u},
      {L"\"--zlm-restart=77\"", 77u},
      {L"--zlm-restart=12 --zlm-restart=34", 12u},
      {L"--zlm-restart=x --zlm-restart=34", std::nullopt},
      {L"--ZLM-RESTART=12", std::nullopt},
      {L"--zlm-restart12", std::nullopt},
      {L"", std::nullopt},
      // Digit runs at and past the 32-bit limit of a process id.
      {L"--zlm-restart=4294967295", 4294967295u},
      {L"--zlm-restart=4294967296", std::nullopt},
      {L"--zlm-restart=4294967300", std::nullopt},
      {L"--zlm-restart=18446744073709551617", std::nullopt},
      {L"--zlm-restart=99999999999999999999999999999999999999999999999999", std::nullopt},
      {L"--zlm-restart=000000000000000000000000000000000000000000000000004", 4u},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RestartSwitchProcessId(c.commandLine), c.expected) << testing::PrintToString(c.commandLine);
}

TEST(RestartSwitchTest, AMillionDigitsAreRefusedWithoutOverflow) {
  const std::wstring line = L"--zlm-restart=" + std::wstring(1000000, L'9');
  EXPECT_EQ(RestartSwitchProcessId(line), std::nullopt);
}

// How Windows splits a command line (CommandLineToArgvW and the C runtime):
// the program name runs to the next double quote if it starts with one, with
// no escapes, or else to the first blank; later arguments are separated by
// blanks outside quotes, where 2n backslashes before a quote give n and the
// quote toggles quoting, 2n+1 give n and a literal quote. |rest| receives the
// text after the program name and its blanks, as wWinMain gets it.
std::vector<std::wstring> SplitLikeWindows(const std::wstring& line, std::wstring* rest) {
  std::vector<std::wstring> args;
  std::size_t i = 0;
  std::wstring program;
  if (i < line.size() && line[i] == L'"') {
    for (++i; i < line.size() && line[i] != L'"'; ++i)
      program += line[i];
    if (i < line.size())
      ++i;
  }
  for (; i < line.size() && line[i] != L' ' && line[i] != L'\t'; ++i)
    program += line[i];
  args.push_back(program);

  auto skipBlanks = [&] {
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
      ++i;
  };
  skipBlanks();
  *rest = line.substr(i);
  while (i < line.size()) {
    std::wstring arg;
    bool quoted = false;
    for (; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')); ++i) {
      std::size_t slashes = 0;
      while (i < line.size() && line[i] == L'\\') {
        ++slashes;
        ++i;
      }
      if (i < line.size() && line[i] == L'"') {
        arg.append(slashes / 2, L'\\');
        if (slashes % 2)
          arg += L'"';
        else
          quoted = !quoted;
      } else {
        arg.append(slashes, L'\\');
        if (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')))
          arg += line[i];
        else
          --i;
      }
    }
    args.push_back(arg);
    skipBlanks();
  }
  return args;
}

TEST(RestartSwitchTest, CommandLineQuotesThePathAndAppendsTheSwitch) {
  EXPECT_EQ(RestartCommandLine(L"C:\\Program Files (x86)\\Zelmora Launcher\\ZelmoraLauncher.exe", 5000),
            L"\"C:\\Program Files (x86)\\Zelmora Launcher\\ZelmoraLauncher.exe\" --zlm-restart=5000");
  EXPECT_EQ(RestartCommandLine(L"Z:\\z.exe", 0), L"\"Z:\\z.exe\" --zlm-restart=0");
  EXPECT_EQ(RestartCommandLine(L"Z:\\z.exe", 4294967295u), L"\"Z:\\z.exe\" --zlm-restart=4294967295");
}

TEST(RestartSwitchTest, CommandLineSplitsBackIntoThePathAndTheSwitch) {
  const wchar_t* const paths[] = {
      L"C:\\Program Files (x86)\\Zelmora Launcher\\ZelmoraLauncher.exe",
      L"C:\\Games\\ZelmoraLauncher.exe",
      L"C:\\Oyunlar\\Zelmora \x00C7\x0131k\x0131\x015F\\ZelmoraLauncher.exe",
      L"\\\\server\\share name\\Zelmora\\ZelmoraLauncher.exe",
      L"C:\\a\\b\\\\ c\\ZelmoraLauncher.exe",                // backslashes before a space
      L"C:\\Games\\--zlm-restart=1\\ZelmoraLauncher.exe",  // the switch text in a folder name
      L"C:\\My Games\\ Zelmora\\ZelmoraLauncher.exe",  // a folder name that begins with a space
  };
  for (const wchar_t* path : paths) {
    SCOPED_TRACE(testing::PrintToString(path));
    std::wstring rest;
    const std::vector<std::wstring> args = SplitLikeWindows(RestartCommandLine(path, 5000), &rest);
    EXPECT_EQ(args, (std::vector<std::wstring>{path, L"--zlm-restart=5000"}));
    EXPECT_EQ(RestartSwitchProcessId(rest), 5000u);
  }
}

}  // namespace
