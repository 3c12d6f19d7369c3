#include "message_box.h"

#include "utf_convert.h"
#include "window_info.h"

namespace e2e {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr UINT kTextTimeoutMs = 2000;

// WM_GETTEXT is marshalled across processes, unlike GetWindowTextW on a
// control, which would only see the text the control was created with.
std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                             kTextTimeoutMs, &length))
    return std::wstring();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied))
    return std::wstring();
  text.resize(copied < length ? copied : length);
  return text;
}

bool IsClass(const WindowInfo& info, const wchar_t* name) {
  return _wcsicmp(info.class_name.c_str(), name) == 0;
}

MessageBoxInfo ReadMessageBox(const WindowInfo& dialog) {
  MessageBoxInfo box;
  box.handle = dialog.handle;
  box.caption = ControlText(dialog.handle);
  for (const WindowInfo& child : ChildWindows(dialog.handle)) {
    if (IsClass(child, L"Button")) {
      box.buttons.push_back(ControlText(child.handle));
    } else if (IsClass(child, L"Static")) {
      if ((child.style & SS_TYPEMASK) == SS_ICON) {
        box.has_icon = true;
      } else {
        const std::wstring text = ControlText(child.handle);
        if (text.size() > box.text.size())
          box.text = text;
      }
    }
  }
  return box;
}

testing::AssertionResult WaitUntilGone(HWND dialog, const char* action,
                                       Millis timeout) {
  if (PollUntil([dialog] { return !::IsWindow(dialog); }, timeout))
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "message box still open " << timeout.count() << " ms after "
         << action;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const MessageBoxInfo& box) {
  out << "message box \"" << WideToUtf8(box.caption) << "\": \""
      << WideToUtf8(box.text) << "\" buttons [";
  for (size_t i = 0; i < box.buttons.size(); ++i)
    out << (i ? ", " : "") << "\"" << WideToUtf8(box.buttons[i]) << "\"";
  return out << "]" << (box.has_icon ? " with icon" : "");
}

std::optional<MessageBoxInfo> FindMessageBox(unsigned long process_id) {
  for (const WindowInfo& info : TopLevelWindows(process_id)) {
    if (info.class_name == kDialogClass)
      return ReadMessageBox(info);
  }
  return std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBox(unsigned long process_id,
                                                Millis timeout) {
  return PollUntil([process_id] { return FindMessageBox(process_id); },
                   timeout);
}

testing::AssertionResult PressOk(const MessageBoxInfo& box, Millis timeout) {
  HWND button = ::GetDlgItem(box.handle, IDOK);
  if (!button)
    return testing::AssertionFailure() << "no OK button in " << box;
  ::PostMessageW(box.handle, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  return WaitUntilGone(box.handle, "pressing OK", timeout);
}

testing::AssertionResult CloseMessageBox(const MessageBoxInfo& box,
                                         Millis timeout) {
  ::PostMessageW(box.handle, WM_CLOSE, 0, 0);
  return WaitUntilGone(box.handle, "closing it", timeout);
}

}  // namespace e2e
