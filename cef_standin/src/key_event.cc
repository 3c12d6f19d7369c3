#include "key_event.h"

#include <cstring>

namespace standin {

namespace {

bool Down(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

bool Toggled(int key) {
  return (GetKeyState(key) & 0x0001) != 0;
}

void SetDown(BYTE* state, int key, bool down) {
  state[key] = static_cast<BYTE>(down ? (state[key] | 0x80) : (state[key] & ~0x80));
}

}  // namespace

uint32 KeyStateModifiers() {
  uint32 modifiers = EVENTFLAG_NONE;
  if (Down(VK_SHIFT))
    modifiers |= EVENTFLAG_SHIFT_DOWN;
  if (Down(VK_CONTROL))
    modifiers |= EVENTFLAG_CONTROL_DOWN;
  if (Down(VK_MENU))
    modifiers |= EVENTFLAG_ALT_DOWN;
  if (Toggled(VK_CAPITAL))
    modifiers |= EVENTFLAG_CAPS_LOCK_ON;
  if (Toggled(VK_NUMLOCK))
    modifiers |= EVENTFLAG_NUM_LOCK_ON;
  return modifiers;
}

bool KeyEventFromMessage(UINT message, WPARAM wparam, LPARAM lparam,
                         CefKeyEvent* event) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      event->type = KEYEVENT_RAWKEYDOWN;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      event->type = KEYEVENT_KEYUP;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      event->type = KEYEVENT_CHAR;
      break;
    default:
      return false;
  }
  event->windows_key_code = static_cast<int>(wparam);
  event->native_key_code = static_cast<int>(lparam);
  event->is_system_key =
      message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR;
  event->modifiers = KeyStateModifiers();
  if (event->type == KEYEVENT_CHAR) {
    event->character = static_cast<char16>(wparam);
    event->unmodified_character = static_cast<char16>(wparam);
  }
  // Bit 24 of the key data marks the extended (right-hand or keypad) keys.
  if ((lparam & (1 << 24)) != 0 &&
      (wparam == VK_SHIFT || wparam == VK_CONTROL || wparam == VK_MENU))
    event->modifiers |= EVENTFLAG_IS_RIGHT;
  return true;
}

ScopedModifiers::ScopedModifiers(uint32 modifiers)
    : saved_ok_(GetKeyboardState(saved_) != 0) {
  BYTE state[256];
  std::memcpy(state, saved_, sizeof(state));
  const bool shift = (modifiers & EVENTFLAG_SHIFT_DOWN) != 0;
  const bool control = (modifiers & EVENTFLAG_CONTROL_DOWN) != 0;
  const bool alt = (modifiers & EVENTFLAG_ALT_DOWN) != 0;
  SetDown(state, VK_SHIFT, shift);
  SetDown(state, VK_LSHIFT, shift);
  SetDown(state, VK_RSHIFT, false);
  SetDown(state, VK_CONTROL, control);
  SetDown(state, VK_LCONTROL, control);
  SetDown(state, VK_RCONTROL, false);
  SetDown(state, VK_MENU, alt);
  SetDown(state, VK_LMENU, alt);
  SetDown(state, VK_RMENU, false);
  if (saved_ok_)
    SetKeyboardState(state);
}

ScopedModifiers::~ScopedModifiers() {
  if (saved_ok_)
    SetKeyboardState(saved_);
}

}  // namespace standin
