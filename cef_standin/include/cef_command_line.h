// A process command line: a program, switches and arguments. Switches begin
// with "--", "-" or (on Windows) "/", take a value after '=', and are
// matched without regard to ASCII case; a bare "--" ends switch parsing.
// Callers name switches without their prefix: AppendSwitch("no-sandbox").

#ifndef CEF_INCLUDE_CEF_COMMAND_LINE_H_
#define CEF_INCLUDE_CEF_COMMAND_LINE_H_
#pragma once

#include <map>
#include <vector>

#include "include/cef_base.h"

class CefCommandLine : public virtual CefBase {
 public:
  typedef std::vector<CefString> ArgumentList;
  typedef std::map<CefString, CefString> SwitchMap;

  // A new, empty, writable command line.
  static CefRefPtr<CefCommandLine> CreateCommandLine();

  // The process's command line, read-only.
  static CefRefPtr<CefCommandLine> GetGlobalCommandLine();

  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual CefRefPtr<CefCommandLine> Copy() = 0;

  // Supported on platforms other than Windows only.
  virtual void InitFromArgv(int argc, const char* const* argv) = 0;

  // Parses a string as returned by GetCommandLineW(); Windows only.
  virtual void InitFromString(const CefString& command_line) = 0;

  // Keeps the program and removes every switch and argument.
  virtual void Reset() = 0;

  virtual void GetArgv(std::vector<CefString>& argv) = 0;
  virtual CefString GetCommandLineString() = 0;

  virtual CefString GetProgram() = 0;
  virtual void SetProgram(const CefString& program) = 0;

  virtual bool HasSwitches() = 0;
  virtual bool HasSwitch(const CefString& name) = 0;

  // Empty when the switch is missing or has no value.
  virtual CefString GetSwitchValue(const CefString& name) = 0;

  virtual void GetSwitches(SwitchMap& switches) = 0;
  virtual void AppendSwitch(const CefString& name) = 0;
  virtual void AppendSwitchWithValue(const CefString& name,
                                     const CefString& value) = 0;

  virtual bool HasArguments() = 0;
  virtual void GetArguments(ArgumentList& arguments) = 0;
  virtual void AppendArgument(const CefString& argument) = 0;

  // Puts |wrapper| (split at spaces) in front of the program, as for
  // "gdb --args".
  virtual void PrependWrapper(const CefString& wrapper) = 0;
};

#endif  // CEF_INCLUDE_CEF_COMMAND_LINE_H_
