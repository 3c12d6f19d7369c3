// Keyboard events.

#ifndef CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_
#define CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

// UI thread.
class CefKeyboardHandler : public virtual CefBase {
 public:
  // Before the page sees |event|. Return true to consume it; or set
  // |is_keyboard_shortcut| and return false to have OnKeyEvent called
  // if the page does not handle it.
  virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser> /*browser*/,
                             const CefKeyEvent& /*event*/,
                             CefEventHandle /*os_event*/,
                             bool* /*is_keyboard_shortcut*/) { return false; }

  // After the page had |event| and did not handle it.
  virtual bool OnKeyEvent(CefRefPtr<CefBrowser> /*browser*/,
                          const CefKeyEvent& /*event*/,
                          CefEventHandle /*os_event*/) { return false; }
};

#endif  // CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_
