// Screen geometry, for checking where the program put its window.
#ifndef ZLM_TESTS_E2E_SUPPORT_SCREEN_H_
#define ZLM_TESTS_E2E_SUPPORT_SCREEN_H_

#include <windows.h>

#include <optional>

#include "rect.h"

namespace e2e {

// SM_CXSCREEN x SM_CYSCREEN: the whole primary screen, taskbar included.
Size PrimaryScreenSize();

// The whole area (not the work area) of the monitor nearest to `window`.
std::optional<Rect> MonitorRectOf(HWND window);
std::optional<Rect> WorkAreaOf(HWND window);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_SCREEN_H_
