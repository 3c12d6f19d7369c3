// The engine's CefCommandLine. Several objects may view one command line:
// the process's own is shared by the read-only object that
// GetGlobalCommandLine() returns and by the writable view that the engine
// hands to CefApp::OnBeforeCommandLineProcessing and detaches afterwards.

#ifndef CEF_STANDIN_SRC_COMMAND_LINE_IMPL_H_
#define CEF_STANDIN_SRC_COMMAND_LINE_IMPL_H_

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "include/cef_command_line.h"

class CefCommandLineImpl : public CefCommandLine {
 public:
  // Program first, then every switch as written ("--name=value", keeping the
  // prefix it was given with), then the arguments from |begin_args| on.
  struct State {
    std::mutex lock;
    std::vector<std::wstring> argv{std::wstring()};
    size_t begin_args = 1;
    // Keys are ASCII lower case, without prefix.
    std::map<std::wstring, std::wstring> switches;
  };

  CefCommandLineImpl(std::shared_ptr<State> state, bool read_only);

  // A new view of the process's command line (parsed from GetCommandLineW()
  // on first use).
  static CefRefPtr<CefCommandLineImpl> CreateGlobalView(bool read_only);

  // Replaces the process's command line, for tests that play a sub-process.
  static void ResetGlobalFromString(const std::wstring& command_line);

  // Ends this view: afterwards it is invalid and every call does nothing.
  void Detach();

  // CefCommandLine methods:
  bool IsValid() override;
  bool IsReadOnly() override;
  CefRefPtr<CefCommandLine> Copy() override;
  void InitFromArgv(int argc, const char* const* argv) override;
  void InitFromString(const CefString& command_line) override;
  void Reset() override;
  void GetArgv(std::vector<CefString>& argv) override;
  CefString GetCommandLineString() override;
  CefString GetProgram() override;
  void SetProgram(const CefString& program) override;
  bool HasSwitches() override;
  bool HasSwitch(const CefString& name) override;
  CefString GetSwitchValue(const CefString& name) override;
  void GetSwitches(SwitchMap& switches) override;
  void AppendSwitch(const CefString& name) override;
  void AppendSwitchWithValue(const CefString& name,
                             const CefString& value) override;
  bool HasArguments() override;
  void GetArguments(ArgumentList& arguments) override;
  void AppendArgument(const CefString& argument) override;
  void PrependWrapper(const CefString& wrapper) override;

 private:
  bool CanRead() const { return valid_; }
  bool CanWrite() const { return valid_ && !read_only_; }

  std::shared_ptr<State> state_;
  std::atomic<bool> read_only_;
  std::atomic<bool> valid_;

  IMPLEMENT_REFCOUNTING(CefCommandLineImpl);
  DISALLOW_COPY_AND_ASSIGN(CefCommandLineImpl);
};

#endif  // CEF_STANDIN_SRC_COMMAND_LINE_IMPL_H_
