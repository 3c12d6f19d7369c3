// Stands in for the system's program for a URL scheme (the web browser for
// https, the mail program for mailto): the link recorder is registered as the
// scheme's handler in the test's Wine prefix, and what it was started with is
// read back. Programs started afterwards inherit the record's name; Wine reads
// the handler from HKEY_CLASSES_ROOT. The old handler comes back at the end.

#ifndef ZLM_TESTS_E2E_RECORDING_SCHEME_HANDLER_H_
#define ZLM_TESTS_E2E_RECORDING_SCHEME_HANDLER_H_

#include <windows.h>

#include <string>

#include "running_launcher.h"
#include "support/utf_convert.h"

class RecordingSchemeHandler {
 public:
  RecordingSchemeHandler() = default;
  RecordingSchemeHandler(const RecordingSchemeHandler&) = delete;
  RecordingSchemeHandler& operator=(const RecordingSchemeHandler&) = delete;
  ~RecordingSchemeHandler() {
    if (!key_)
      return;
    if (had_previous_)
      SetHandler(previous_);
    else
      RegDeleteValueW(key_, nullptr);
    RegCloseKey(key_);
    SetEnvironmentVariableW(L"ZLM_LINK_RECORD", nullptr);
  }

  bool Install(const std::wstring& scheme, const std::wstring& record) {
    record_ = record;
    if (!SetEnvironmentVariableW(L"ZLM_LINK_RECORD", record_.c_str()))
      return false;
    const std::wstring command = scheme + L"\\shell\\open\\command";
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, command.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return false;
    }
    DWORD size = sizeof(previous_);
    had_previous_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(previous_), &size) == ERROR_SUCCESS;
    return SetHandler(L"\"" + std::wstring(LINK_RECORDER_EXE) + L"\" \"%1\"");
  }

  // Every address the handler was started with, a line each.
  std::string Opened() const { return ReadWholeFile(e2e::WideToUtf8(record_).c_str()); }

 private:
  bool SetHandler(const std::wstring& command) {
    return RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
  }

  std::wstring record_;
  HKEY key_ = nullptr;
  wchar_t previous_[2048] = {};
  bool had_previous_ = false;
};

#endif  // ZLM_TESTS_E2E_RECORDING_SCHEME_HANDLER_H_
