// Reading and answering another process's message box.
#ifndef ZLM_TESTS_E2E_SUPPORT_MESSAGE_BOX_H_
#define ZLM_TESTS_E2E_SUPPORT_MESSAGE_BOX_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "wait.h"

namespace e2e {

struct MessageBoxInfo {
  HWND handle = nullptr;
  std::wstring caption;
  std::wstring text;                  // the message, line feeds kept
  std::vector<std::wstring> buttons;  // in creation order
  bool has_icon = false;
};

std::ostream& operator<<(std::ostream& out, const MessageBoxInfo& box);

// A visible dialog box (class "#32770") of the process, if any.
std::optional<MessageBoxInfo> FindMessageBox(unsigned long process_id);
std::optional<MessageBoxInfo> WaitForMessageBox(
    unsigned long process_id, Millis timeout = kDefaultTimeout);

// Press the OK button, or close the box as its title-bar button would.
// Both succeed once the box is gone.
testing::AssertionResult PressOk(const MessageBoxInfo& box,
                                 Millis timeout = kDefaultTimeout);
testing::AssertionResult CloseMessageBox(const MessageBoxInfo& box,
                                         Millis timeout = kDefaultTimeout);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_MESSAGE_BOX_H_
