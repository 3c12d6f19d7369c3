// Script contexts of the renderer. Values, exceptions and stack traces are
// declared only as far as the signatures name them: this engine runs no
// script.

#ifndef CEF_INCLUDE_CEF_V8_H_
#define CEF_INCLUDE_CEF_V8_H_
#pragma once

#include <vector>

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"
#include "include/cef_task.h"

class CefV8Exception;
class CefV8Handler;
class CefV8StackFrame;
class CefV8Value;

// The script context of one frame's document.
class CefV8Context : public virtual CefBase {
 public:
  static CefRefPtr<CefV8Context> GetCurrentContext();
  static CefRefPtr<CefV8Context> GetEnteredContext();
  static bool InContext();

  virtual CefRefPtr<CefTaskRunner> GetTaskRunner() = 0;
  virtual bool IsValid() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  virtual CefRefPtr<CefFrame> GetFrame() = 0;
  virtual CefRefPtr<CefV8Value> GetGlobal() = 0;
  virtual bool Enter() = 0;
  virtual bool Exit() = 0;
  virtual bool IsSame(CefRefPtr<CefV8Context> that) = 0;
  virtual bool Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
                    CefRefPtr<CefV8Exception>& exception) = 0;
};

typedef std::vector<CefRefPtr<CefV8Value> > CefV8ValueList;

class CefV8Handler : public virtual CefBase {
 public:
};

class CefV8Exception : public virtual CefBase {
 public:
};

class CefV8Value : public virtual CefBase {
 public:
};

class CefV8StackTrace : public virtual CefBase {
 public:
};

class CefV8StackFrame : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_V8_H_
