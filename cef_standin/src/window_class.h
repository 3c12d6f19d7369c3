// Registration of the engine's own window classes.
#ifndef CEF_STANDIN_SRC_WINDOW_CLASS_H_
#define CEF_STANDIN_SRC_WINDOW_CLASS_H_

#include <windows.h>

namespace standin {

// Registers a class of this module; true also when it already exists, since
// the engine may start again in the same process.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, bool visible);

// The engine's windows carry their owning object as the creation parameter:
// kept in GWLP_USERDATA at WM_NCCREATE, found again by every later message.
void KeepCreationParameter(HWND window, LPARAM create_struct);

template <typename T>
T* OwnerOf(HWND window) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace standin

#endif  // CEF_STANDIN_SRC_WINDOW_CLASS_H_
