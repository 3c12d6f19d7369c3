// Printing on Linux. Declared for CefBrowserProcessHandler.

#ifndef CEF_INCLUDE_CEF_PRINT_HANDLER_H_
#define CEF_INCLUDE_CEF_PRINT_HANDLER_H_
#pragma once

#include "include/cef_base.h"

class CefPrintHandler : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_PRINT_HANDLER_H_
