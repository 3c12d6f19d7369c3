// Turning the page window's keyboard messages into CEF key events.
#ifndef CEF_STANDIN_SRC_KEY_EVENT_H_
#define CEF_STANDIN_SRC_KEY_EVENT_H_

#include <windows.h>

#include "include/internal/cef_types_wrappers.h"

namespace standin {

// False for messages that are not keyboard messages.
bool KeyEventFromMessage(UINT message, WPARAM wparam, LPARAM lparam,
                         CefKeyEvent* event);

// EVENTFLAG_* bits of the calling thread's current key state.
uint32 KeyStateModifiers();

// Sets the calling thread's key state so that exactly the given modifiers
// (EVENTFLAG_SHIFT_DOWN, _CONTROL_DOWN, _ALT_DOWN) are held; restores the former
// state when it goes out of scope.
class ScopedModifiers {
 public:
  explicit ScopedModifiers(uint32 modifiers);
  ~ScopedModifiers();
  ScopedModifiers(const ScopedModifiers&) = delete;
  ScopedModifiers& operator=(const ScopedModifiers&) = delete;

 private:
  BYTE saved_[256];
  bool saved_ok_;
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_KEY_EVENT_H_
