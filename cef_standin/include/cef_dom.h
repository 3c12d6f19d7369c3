// Document object model access from the renderer. Declared only as far as
// the handler signatures name it.

#ifndef CEF_INCLUDE_CEF_DOM_H_
#define CEF_INCLUDE_CEF_DOM_H_
#pragma once

#include "include/cef_base.h"

class CefDOMNode : public virtual CefBase {
 public:
};

class CefDOMVisitor : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_DOM_H_
