// A web request. Declared only as far as the handler signatures name it.

#ifndef CEF_INCLUDE_CEF_REQUEST_H_
#define CEF_INCLUDE_CEF_REQUEST_H_
#pragma once

#include "include/cef_base.h"

class CefRequest : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_REQUEST_H_
