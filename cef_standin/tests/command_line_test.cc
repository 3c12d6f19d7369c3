// CefCommandLine: Windows parsing, switch order, re-quoting, and the
// read-only global command line.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "command_line_impl.h"
#include "gtest/gtest.h"
#include "include/cef_command_line.h"

namespace {

typedef std::vector<std::wstring> Strings;
typedef std::map<std::wstring, std::wstring> Switches;

Strings Argv(CefRefPtr<CefCommandLine> line) {
  std::vector<CefString> argv;
  line->GetArgv(argv);
  return Strings(argv.begin(), argv.end());
}

Strings Arguments(CefRefPtr<CefCommandLine> line) {
  CefCommandLine::ArgumentList args;
  line->GetArguments(args);
  return Strings(args.begin(), args.end());
}

Switches SwitchesOf(CefRefPtr<CefCommandLine> line) {
  CefCommandLine::SwitchMap map;
  line->GetSwitches(map);
  Switches out;
  for (const auto& entry : map)
    out[entry.first.ToWString()] = entry.second.ToWString();
  return out;
}

CefRefPtr<CefCommandLine> Parse(const std::wstring& text) {
  CefRefPtr<CefCommandLine> line = CefCommandLine::CreateCommandLine();
  line->InitFromString(text);
  return line;
}

struct ParseCase {
  const wchar_t* input;
  std::wstring program;
  Switches switches;
  Strings arguments;
  Strings argv;
};

TEST(CommandLineParse, SplitsProgramSwitchesAndArguments) {
  const ParseCase cases[] = {
      {L"app.exe --a --B=Val -c=1 /d x y",
       L"app.exe",
       {{L"a", L""}, {L"b", L"Val"}, {L"c", L"1"}, {L"d", L""}},
       {L"x", L"y"},
       {L"app.exe", L"--a", L"--b=Val", L"-c=1", L"/d", L"x", L"y"}},
      {L"\"C:\\Program Files\\app.exe\" --user-agent=\"Mozilla/5.0 (Windows)\""
       L" \"arg with space\"",
       L"C:\\Program Files\\app.exe",
       {{L"user-agent", L"Mozilla/5.0 (Windows)"}},
       {L"arg with space"},
       {L"C:\\Program Files\\app.exe", L"--user-agent=Mozilla/5.0 (Windows)",
        L"arg with space"}},
      {L"p x --late y",
       L"p",
       {{L"late", L""}},
       {L"x", L"y"},
       {L"p", L"--late", L"x", L"y"}},
      {L"p --a -- --b c",
       L"p",
       {{L"a", L""}},
       {L"--b", L"c"},
       {L"p", L"--a", L"--", L"--b", L"c"}},
      {L"p --a=1 --A=2",
       L"p",
       {{L"a", L"2"}},
       {},
       {L"p", L"--a=1", L"--a=2"}},
      {L"p - / --", L"p", {}, {L"-", L"/"}, {L"p", L"-", L"/", L"--"}},
      {L"p --type=renderer --lang=tr", L"p",
       {{L"type", L"renderer"}, {L"lang", L"tr"}}, {},
       {L"p", L"--type=renderer", L"--lang=tr"}},
      {L"  p  \t --x=a=b  ", L"p", {{L"x", L"a=b"}}, {}, {L"p", L"--x=a=b"}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.input);
    CefRefPtr<CefCommandLine> line = Parse(c.input);
    EXPECT_EQ(c.program, line->GetProgram().ToWString());
    EXPECT_EQ(c.switches, SwitchesOf(line));
    EXPECT_EQ(c.arguments, Arguments(line));
    EXPECT_EQ(c.argv, Argv(line));
    EXPECT_EQ(!c.switches.empty(), line->HasSwitches());
    EXPECT_EQ(!c.arguments.empty(), line->HasArguments());
  }
}

TEST(CommandLineParse, BlankStringLeavesTheLineAlone) {
  CefRefPtr<CefCommandLine> line = Parse(L"p --keep");
  line->InitFromString(L"  ");
  EXPECT_EQ(L"p", line->GetProgram().ToWString());
  EXPECT_TRUE(line->HasSwitch("keep"));

  line->InitFromArgv(0, nullptr);
  EXPECT_TRUE(line->HasSwitch("keep"));
}

TEST(CommandLineSwitches, NamesIgnoreAsciiCase) {
  CefRefPtr<CefCommandLine> line = CefCommandLine::CreateCommandLine();
  line->AppendSwitchWithValue("Enable-System-Flash", "1");
  for (const char* name :
       {"enable-system-flash", "ENABLE-SYSTEM-FLASH", "Enable-System-Flash"}) {
    EXPECT_TRUE(line->HasSwitch(name)) << name;
    EXPECT_EQ(L"1", line->GetSwitchValue(name).ToWString()) << name;
  }
  EXPECT_EQ((Switches{{L"enable-system-flash", L"1"}}), SwitchesOf(line));
  EXPECT_FALSE(line->HasSwitch("missing"));
  EXPECT_TRUE(line->GetSwitchValue("missing").empty());
}

TEST(CommandLineSwitches, AppendedSwitchesKeepTheirOrderBeforeArguments) {
  CefRefPtr<CefCommandLine> line = Parse(L"app.exe --given page.html");
  const std::pair<const char*, const char*> appended[] = {
      {"user-agent", "Mozilla/5.0 (Windows NT 10.0; WOW64)"},
      {"enable-system-flash", "1"},
      {"plugin-policy", "allow"},
      {"run-all-plugins-auto", nullptr},
      {"profile.default_content_setting_values.plugins", "1"},
      {"allow-outdated-plugins", nullptr},
      {"ppapi-flash-path", "C:\\Zelmora Launcher\\pepflashplayer.dll"},
  };
  for (const auto& sw : appended) {
    if (sw.second)
      line->AppendSwitchWithValue(sw.first, sw.second);
    else
      line->AppendSwitch(sw.first);
  }

  const Strings expected = {
      L"app.exe",
      L"--given",
      L"--user-agent=Mozilla/5.0 (Windows NT 10.0; WOW64)",
      L"--enable-system-flash=1",
      L"--plugin-policy=allow",
      L"--run-all-plugins-auto",
      L"--profile.default_content_setting_values.plugins=1",
      L"--allow-outdated-plugins",
      L"--ppapi-flash-path=C:\\Zelmora Launcher\\pepflashplayer.dll",
      L"page.html"};
  EXPECT_EQ(expected, Argv(line));
  EXPECT_EQ(L"app.exe --given"
            L" --user-agent=\"Mozilla/5.0 (Windows NT 10.0; WOW64)\""
            L" --enable-system-flash=1 --plugin-policy=allow"
            L" --run-all-plugins-auto"
            L" --profile.default_content_setting_values.plugins=1"
            L" --allow-outdated-plugins"
            L" --ppapi-flash-path="
            L"\"C:\\Zelmora Launcher\\pepflashplayer.dll\" page.html",
            line->GetCommandLineString().ToWString());
}

TEST(CommandLineSwitches, EmptyNamesAreIgnored) {
  CefRefPtr<CefCommandLine> line = Parse(L"p");
  line->AppendSwitch("");
  line->AppendSwitchWithValue("--", "x");
  line->AppendArgument("after");
  EXPECT_EQ((Strings{L"p", L"after"}), Argv(line));
  EXPECT_FALSE(line->HasSwitches());
}

TEST(CommandLineString, QuotesSoThatTheStringParsesBack) {
  const std::wstring values[] = {
      L"plain",         L"two words",        L"quote\"inside",
      L"trailing\\",    L"slashes\\\\\"q",   L"\\\\server\\share\\",
      L"C:\\Program Files\\x.exe", L"tab\there",
  };
  for (const std::wstring& value : values) {
    SCOPED_TRACE(testing::Message() << value);
    CefRefPtr<CefCommandLine> line = CefCommandLine::CreateCommandLine();
    line->SetProgram(L"C:\\dir with space\\app.exe");
    line->AppendSwitchWithValue("value", value);
    line->AppendArgument(value);
    line->AppendArgument(L"");

    CefRefPtr<CefCommandLine> back = Parse(line->GetCommandLineString());
    EXPECT_EQ(Argv(line), Argv(back));
    EXPECT_EQ(value, back->GetSwitchValue("value").ToWString());
  }
}

TEST(CommandLineString, PlainProgramIsQuotedOnlyWhenNeeded) {
  EXPECT_EQ(L"app.exe --a", Parse(L"app.exe --a")->GetCommandLineString()
                                 .ToWString());
  EXPECT_EQ(L"\"C:\\x\\app.exe\" --a",
            Parse(L"C:\\x\\app.exe --a")->GetCommandLineString().ToWString());
}

TEST(CommandLineEdit, ResetSetProgramAndWrapper) {
  CefRefPtr<CefCommandLine> line = Parse(L"app.exe --a arg");
  line->PrependWrapper(L"gdb --args");
  EXPECT_EQ(L"gdb", line->GetProgram().ToWString());
  EXPECT_EQ((Strings{L"gdb", L"--args", L"app.exe", L"--a", L"arg"}),
            Argv(line));
  EXPECT_EQ((Strings{L"arg"}), Arguments(line));

  line->Reset();
  EXPECT_EQ((Strings{L"gdb"}), Argv(line));
  EXPECT_FALSE(line->HasSwitches());
  EXPECT_FALSE(line->HasArguments());

  line->SetProgram(L"  other.exe \t");
  EXPECT_EQ(L"other.exe", line->GetProgram().ToWString());
}

TEST(CommandLineCopy, CopyIsWritableAndIndependent) {
  CefRefPtr<CefCommandLine> line = Parse(L"p --a x");
  CefRefPtr<CefCommandLine> copy = line->Copy();
  ASSERT_TRUE(copy);
  EXPECT_FALSE(copy->IsReadOnly());
  copy->AppendSwitch("b");
  line->AppendArgument("y");
  EXPECT_EQ((Strings{L"p", L"--a", L"--b", L"x"}), Argv(copy));
  EXPECT_EQ((Strings{L"p", L"--a", L"x", L"y"}), Argv(line));
}

// Restores the process's command line after tests that change it.
class GlobalCommandLineTest : public testing::Test {
 protected:
  void TearDown() override {
    CefCommandLineImpl::ResetGlobalFromString(::GetCommandLineW());
  }
};

TEST_F(GlobalCommandLineTest, GlobalIsReadOnlyProcessCommandLine) {
  CefRefPtr<CefCommandLine> global = CefCommandLine::GetGlobalCommandLine();
  ASSERT_TRUE(global);
  EXPECT_TRUE(global->IsValid());
  EXPECT_TRUE(global->IsReadOnly());
  EXPECT_EQ(global.get(), CefCommandLine::GetGlobalCommandLine().get());
  EXPECT_FALSE(global->GetProgram().empty());

  const Strings before = Argv(global);
  global->AppendSwitch("refused");
  global->AppendArgument("refused");
  global->Reset();
  EXPECT_EQ(before, Argv(global));

  CefRefPtr<CefCommandLine> copy = global->Copy();
  copy->AppendSwitch("accepted");
  EXPECT_TRUE(copy->HasSwitch("accepted"));
  EXPECT_FALSE(global->HasSwitch("accepted"));
}

TEST_F(GlobalCommandLineTest, WritableViewChangesTheGlobalUntilDetached) {
  CefCommandLineImpl::ResetGlobalFromString(L"child.exe --type=renderer");
  CefRefPtr<CefCommandLine> global = CefCommandLine::GetGlobalCommandLine();
  EXPECT_EQ(L"renderer", global->GetSwitchValue("type").ToWString());

  CefRefPtr<CefCommandLineImpl> view =
      CefCommandLineImpl::CreateGlobalView(false);
  EXPECT_FALSE(view->IsReadOnly());
  view->AppendSwitchWithValue("lang", "tr");
  EXPECT_EQ(L"tr", global->GetSwitchValue("lang").ToWString());

  view->Detach();
  EXPECT_FALSE(view->IsValid());
  view->AppendSwitch("late");
  EXPECT_FALSE(global->HasSwitch("late"));
  EXPECT_TRUE(Argv(view.get()).empty());
  EXPECT_FALSE(view->Copy());
}

}  // namespace
