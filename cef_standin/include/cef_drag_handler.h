// Drag events. Not handled by this engine: declared for CefClient.

#ifndef CEF_INCLUDE_CEF_DRAG_HANDLER_H_
#define CEF_INCLUDE_CEF_DRAG_HANDLER_H_
#pragma once

#include "include/cef_base.h"

class CefDragHandler : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_DRAG_HANDLER_H_
