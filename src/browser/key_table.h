// The keys the launcher takes before the page sees them. Reload and zoom are
// the page's own business: the launcher only calls the page's functions.

#ifndef ZLM_BROWSER_KEY_TABLE_H_
#define ZLM_BROWSER_KEY_TABLE_H_

#include <cstdint>

enum class KeyAction {
  kNone,  // the page gets the key
  kReload,
  kToggleFullScreen,
  kZoomIn,
  kZoomOut,
  kZoomReset,
};

// The action for one key event. Only raw key-downs act (auto-repeat sends more
// of them); Ctrl is the only modifier that counts, and F5, F11 and Escape act
// with any modifiers. Escape is taken only in full screen.
KeyAction KeyActionFor(bool rawKeyDown, uint32_t modifiers, int windowsKeyCode,
                       bool fullScreen);

// The JavaScript that calls the page's function for a reload or zoom action,
// only when the page defines it; null for the other actions.
const char* PageCallFor(KeyAction action);

#endif  // ZLM_BROWSER_KEY_TABLE_H_
