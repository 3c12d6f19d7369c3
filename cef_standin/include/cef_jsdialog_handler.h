// JavaScript dialogs. Not handled by this engine: declared for CefClient.

#ifndef CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_
#define CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_
#pragma once

#include "include/cef_base.h"

class CefJSDialogHandler : public virtual CefBase {
 public:
};

#endif  // CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_
