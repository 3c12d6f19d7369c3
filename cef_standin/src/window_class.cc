#include "window_class.h"

namespace standin {

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, bool visible) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  if (visible) {
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  }
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void KeepCreationParameter(HWND window, LPARAM create_struct) {
  auto* create = reinterpret_cast<CREATESTRUCTW*>(create_struct);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

}  // namespace standin
