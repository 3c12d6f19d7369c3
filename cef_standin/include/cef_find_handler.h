// Find-in-page results. Not handled by this engine: declared for CefClient.

#ifndef CEF_INCLUDE_CEF_FIND_HANDLER_H_
#define CEF_INCLUDE_CEF_FIND_HANDLER_H_
#pragma once

#include "include/cef_base.h"

class CefFindHandler : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_FIND_HANDLER_H_
