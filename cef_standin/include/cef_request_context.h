// A request context. NULL everywhere selects the global context.

#ifndef CEF_INCLUDE_CEF_REQUEST_CONTEXT_H_
#define CEF_INCLUDE_CEF_REQUEST_CONTEXT_H_
#pragma once

#include "include/cef_base.h"

class CefRequestContext : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_REQUEST_CONTEXT_H_
