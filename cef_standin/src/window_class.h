// Registration of the engine's own window classes.
#ifndef CEF_STANDIN_SRC_WINDOW_CLASS_H_
#define CEF_STANDIN_SRC_WINDOW_CLASS_H_

#include <windows.h>

namespace standin {

// Registers a class of this module; true also when it already exists, since
// the engine may start again in the same process.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, bool visible);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_WINDOW_CLASS_H_
