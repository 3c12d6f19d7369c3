// Drag data. Declared for CefBrowserHost.

#ifndef CEF_INCLUDE_CEF_DRAG_DATA_H_
#define CEF_INCLUDE_CEF_DRAG_DATA_H_
#pragma once

#include "include/cef_base.h"

class CefDragData : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_DRAG_DATA_H_
