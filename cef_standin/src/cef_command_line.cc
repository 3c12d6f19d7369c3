// Command-line parsing and composition after Chromium's rules on Windows:
// the string is split like CommandLineToArgvW(), each piece is trimmed,
// switches keep the order in which they were given and always come before
// the arguments, and a value that needs it is quoted again when the line is
// turned back into a string.

#include "command_line_impl.h"

#include <windows.h>

#include <shellapi.h>

#include <utility>

namespace {

typedef CefCommandLineImpl::State State;
typedef std::lock_guard<std::mutex> Guard;

const wchar_t* const kSwitchPrefixes[] = {L"--", L"-", L"/"};
const wchar_t kSwitchTerminator[] = L"--";
const wchar_t kSwitchValueSeparator = L'=';

bool IsWhitespace(wchar_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 ||
         c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::wstring Trim(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsWhitespace(text[begin]))
    ++begin;
  while (end > begin && IsWhitespace(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

std::wstring ToLowerAscii(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

size_t SwitchPrefixLength(const std::wstring& text) {
  for (const wchar_t* prefix : kSwitchPrefixes) {
    const std::wstring p(prefix);
    if (text.compare(0, p.size(), p) == 0)
      return p.size();
  }
  return 0;
}

// Splits "--name=value" into "--name" and "value"; false for anything that
// is not a switch (no prefix, or nothing but a prefix).
bool IsSwitch(const std::wstring& text, std::wstring* switch_string,
              std::wstring* switch_value) {
  switch_string->clear();
  switch_value->clear();
  const size_t prefix_length = SwitchPrefixLength(text);
  if (prefix_length == 0 || prefix_length == text.size())
    return false;
  const size_t equals = text.find(kSwitchValueSeparator);
  *switch_string = text.substr(0, equals);
  if (equals != std::wstring::npos)
    *switch_value = text.substr(equals + 1);
  return true;
}

// Quotes |arg| so that CommandLineToArgvW() gives it back unchanged. Tabs
// separate arguments as spaces do, so they are quoted too.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (arg.find_first_of(L" \t\\\"") == std::wstring::npos)
    return arg;

  std::wstring out(1, L'"');
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] == L'\\') {
      size_t end = i + 1;
      while (end < arg.size() && arg[end] == L'\\')
        ++end;
      size_t backslashes = end - i;
      // Backslashes escape only when a quote follows, which includes the
      // closing quote added below.
      if (end == arg.size() || arg[end] == L'"')
        backslashes *= 2;
      out.append(backslashes, L'\\');
      i = end - 1;
    } else if (arg[i] == L'"') {
      out += L"\\\"";
    } else {
      out.push_back(arg[i]);
    }
  }
  out.push_back(L'"');
  return out;
}

// Empty names would write a bare "--", which ends switch parsing.
void AppendSwitchLocked(State& state, const std::wstring& switch_string,
                        const std::wstring& value) {
  std::wstring combined = ToLowerAscii(switch_string);
  const size_t prefix_length = SwitchPrefixLength(combined);
  const std::wstring key = combined.substr(prefix_length);
  if (key.empty())
    return;
  state.switches[key] = value;
  if (prefix_length == 0)
    combined = kSwitchPrefixes[0] + combined;
  if (!value.empty())
    combined += kSwitchValueSeparator + value;
  state.argv.insert(state.argv.begin() + state.begin_args, combined);
  ++state.begin_args;
}

void AppendSwitchesAndArguments(State& state,
                                const std::vector<std::wstring>& argv) {
  bool parse_switches = true;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::wstring arg = Trim(argv[i]);
    std::wstring switch_string;
    std::wstring switch_value;
    parse_switches = parse_switches && arg != kSwitchTerminator;
    if (parse_switches && IsSwitch(arg, &switch_string, &switch_value))
      AppendSwitchLocked(state, switch_string, switch_value);
    else
      state.argv.push_back(arg);
  }
}

void InitFromArgvLocked(State& state, const std::vector<std::wstring>& argv) {
  state.argv.assign(1, argv.empty() ? std::wstring() : Trim(argv[0]));
  state.begin_args = 1;
  state.switches.clear();
  AppendSwitchesAndArguments(state, argv);
}

void InitFromStringLocked(State& state, const std::wstring& command_line) {
  const std::wstring trimmed = Trim(command_line);
  // CommandLineToArgvW() would report the running executable for "".
  if (trimmed.empty())
    return;
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(trimmed.c_str(), &count);
  if (!args)
    return;
  std::vector<std::wstring> argv(args, args + count);
  ::LocalFree(args);
  InitFromArgvLocked(state, argv);
}

// The arguments after the switches, less the first "--".
std::vector<std::wstring> ArgumentsLocked(const State& state) {
  std::vector<std::wstring> args(state.argv.begin() + state.begin_args,
                                 state.argv.end());
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it == kSwitchTerminator) {
      args.erase(it);
      break;
    }
  }
  return args;
}

std::wstring CommandLineStringLocked(const State& state) {
  std::wstring result = QuoteArgument(state.argv[0]);
  bool parse_switches = true;
  for (size_t i = 1; i < state.argv.size(); ++i) {
    const std::wstring& arg = state.argv[i];
    std::wstring switch_string;
    std::wstring switch_value;
    parse_switches = parse_switches && arg != kSwitchTerminator;
    result.push_back(L' ');
    if (parse_switches && IsSwitch(arg, &switch_string, &switch_value)) {
      result += switch_string;
      if (!switch_value.empty())
        result += kSwitchValueSeparator + QuoteArgument(switch_value);
    } else if (arg.empty()) {
      // Kept visible so that the string parses back to the same arguments.
      result += L"\"\"";
    } else {
      result += QuoteArgument(arg);
    }
  }
  return result;
}

std::shared_ptr<State> GlobalState() {
  static const std::shared_ptr<State> state = [] {
    auto created = std::make_shared<State>();
    InitFromStringLocked(*created, ::GetCommandLineW());
    return created;
  }();
  return state;
}

}  // namespace

CefCommandLineImpl::CefCommandLineImpl(std::shared_ptr<State> state,
                                       bool read_only)
    : state_(std::move(state)), read_only_(read_only), valid_(true) {}

// static
CefRefPtr<CefCommandLineImpl> CefCommandLineImpl::CreateGlobalView(
    bool read_only) {
  return new CefCommandLineImpl(GlobalState(), read_only);
}

// static
void CefCommandLineImpl::ResetGlobalFromString(
    const std::wstring& command_line) {
  std::shared_ptr<State> state = GlobalState();
  Guard guard(state->lock);
  InitFromArgvLocked(*state, std::vector<std::wstring>());
  InitFromStringLocked(*state, command_line);
}

void CefCommandLineImpl::Detach() { valid_ = false; }

bool CefCommandLineImpl::IsValid() { return valid_; }

bool CefCommandLineImpl::IsReadOnly() { return read_only_; }

CefRefPtr<CefCommandLine> CefCommandLineImpl::Copy() {
  if (!CanRead())
    return nullptr;
  auto copy = std::make_shared<State>();
  {
    Guard guard(state_->lock);
    copy->argv = state_->argv;
    copy->begin_args = state_->begin_args;
    copy->switches = state_->switches;
  }
  return new CefCommandLineImpl(copy, false);
}

void CefCommandLineImpl::InitFromArgv(int /*argc*/,
                                      const char* const* /*argv*/) {
  // Windows command lines come from InitFromString().
}

void CefCommandLineImpl::InitFromString(const CefString& command_line) {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  InitFromStringLocked(*state_, command_line.ToWString());
}

void CefCommandLineImpl::Reset() {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  state_->argv.resize(1);
  state_->begin_args = 1;
  state_->switches.clear();
}

void CefCommandLineImpl::GetArgv(std::vector<CefString>& argv) {
  if (!CanRead())
    return;
  Guard guard(state_->lock);
  for (const std::wstring& arg : state_->argv)
    argv.push_back(arg);
}

CefString CefCommandLineImpl::GetCommandLineString() {
  if (!CanRead())
    return CefString();
  Guard guard(state_->lock);
  return CommandLineStringLocked(*state_);
}

CefString CefCommandLineImpl::GetProgram() {
  if (!CanRead())
    return CefString();
  Guard guard(state_->lock);
  return state_->argv[0];
}

void CefCommandLineImpl::SetProgram(const CefString& program) {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  state_->argv[0] = Trim(program.ToWString());
}

bool CefCommandLineImpl::HasSwitches() {
  if (!CanRead())
    return false;
  Guard guard(state_->lock);
  return !state_->switches.empty();
}

bool CefCommandLineImpl::HasSwitch(const CefString& name) {
  if (!CanRead())
    return false;
  Guard guard(state_->lock);
  return state_->switches.count(ToLowerAscii(name.ToWString())) != 0;
}

CefString CefCommandLineImpl::GetSwitchValue(const CefString& name) {
  if (!CanRead())
    return CefString();
  Guard guard(state_->lock);
  auto it = state_->switches.find(ToLowerAscii(name.ToWString()));
  return it == state_->switches.end() ? CefString() : CefString(it->second);
}

void CefCommandLineImpl::GetSwitches(SwitchMap& switches) {
  if (!CanRead())
    return;
  Guard guard(state_->lock);
  for (const auto& entry : state_->switches)
    switches.insert(std::make_pair(CefString(entry.first),
                                   CefString(entry.second)));
}

void CefCommandLineImpl::AppendSwitch(const CefString& name) {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  AppendSwitchLocked(*state_, name.ToWString(), std::wstring());
}

void CefCommandLineImpl::AppendSwitchWithValue(const CefString& name,
                                               const CefString& value) {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  AppendSwitchLocked(*state_, name.ToWString(), value.ToWString());
}

bool CefCommandLineImpl::HasArguments() {
  if (!CanRead())
    return false;
  Guard guard(state_->lock);
  return !ArgumentsLocked(*state_).empty();
}

void CefCommandLineImpl::GetArguments(ArgumentList& arguments) {
  if (!CanRead())
    return;
  Guard guard(state_->lock);
  for (const std::wstring& arg : ArgumentsLocked(*state_))
    arguments.push_back(arg);
}

void CefCommandLineImpl::AppendArgument(const CefString& argument) {
  if (!CanWrite())
    return;
  Guard guard(state_->lock);
  state_->argv.push_back(argument.ToWString());
}

void CefCommandLineImpl::PrependWrapper(const CefString& wrapper) {
  if (!CanWrite())
    return;
  const std::wstring text = wrapper.ToWString();
  if (text.empty())
    return;
  // Split at every space, keeping empty pieces, as for "gdb --args".
  std::vector<std::wstring> pieces;
  size_t start = 0;
  while (true) {
    const size_t space = text.find(L' ', start);
    pieces.push_back(Trim(text.substr(start, space - start)));
    if (space == std::wstring::npos)
      break;
    start = space + 1;
  }
  Guard guard(state_->lock);
  state_->argv.insert(state_->argv.begin(), pieces.begin(), pieces.end());
  state_->begin_args += pieces.size();
}

// static
CefRefPtr<CefCommandLine> CefCommandLine::CreateCommandLine() {
  return new CefCommandLineImpl(std::make_shared<State>(), false);
}

// static
CefRefPtr<CefCommandLine> CefCommandLine::GetGlobalCommandLine() {
  static const CefRefPtr<CefCommandLine> global =
      CefCommandLineImpl::CreateGlobalView(true).get();
  return global;
}
