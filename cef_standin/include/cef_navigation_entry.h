// A navigation history entry. Declared for CefBrowserHost.

#ifndef CEF_INCLUDE_CEF_NAVIGATION_ENTRY_H_
#define CEF_INCLUDE_CEF_NAVIGATION_ENTRY_H_
#pragma once

#include "include/cef_base.h"

class CefNavigationEntry : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_NAVIGATION_ENTRY_H_
