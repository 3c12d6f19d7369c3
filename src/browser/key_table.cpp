#include "browser/key_table.h"

namespace {

// Windows virtual-key codes and CEF's control flag, kept here so that the
// table needs neither <windows.h> nor CEF.
constexpr int kVkF5 = 0x74;
constexpr int kVkF11 = 0x7A;
constexpr int kVkEscape = 0x1B;
constexpr int kVkOemPlus = 0xBB;
constexpr int kVkAdd = 0x6B;
constexpr int kVkOemMinus = 0xBD;
constexpr int kVkSubtract = 0x6D;
constexpr int kVk0 = 0x30;
constexpr int kVkNumpad0 = 0x60;
constexpr uint32_t kControlDown = 1u << 2;  // EVENTFLAG_CONTROL_DOWN

}  // namespace

KeyAction KeyActionFor(bool rawKeyDown, uint32_t modifiers, int windowsKeyCode,
                       bool fullScreen) {
  if (!rawKeyDown)
    return KeyAction::kNone;
  switch (windowsKeyCode) {
    case kVkF5:
      return KeyAction::kReload;
    case kVkF11:
      return KeyAction::kToggleFullScreen;
    case kVkEscape:
      return fullScreen ? KeyAction::kToggleFullScreen : KeyAction::kNone;
    default:
      break;
  }
  if (!(modifiers & kControlDown))
    return KeyAction::kNone;
  switch (windowsKeyCode) {
    case kVkOemPlus:
    case kVkAdd:
      return KeyAction::kZoomIn;
    case kVkOemMinus:
    case kVkSubtract:
      return KeyAction::kZoomOut;
    case kVk0:
    case kVkNumpad0:
      return KeyAction::kZoomReset;
    default:
      return KeyAction::kNone;
  }
}

const char* PageCallFor(KeyAction action) {
  switch (action) {
    case KeyAction::kReload:
      return "window.zlmReload&&window.zlmReload();";
    case KeyAction::kZoomIn:
      return "window.zlmZoomIn&&window.zlmZoomIn();";
    case KeyAction::kZoomOut:
      return "window.zlmZoomOut&&window.zlmZoomOut();";
    case KeyAction::kZoomReset:
      return "window.zlmZoomReset&&window.zlmZoomReset();";
    case KeyAction::kNone:
    case KeyAction::kToggleFullScreen:
      break;
  }
  return nullptr;
}
