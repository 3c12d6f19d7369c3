// Process start and the engine's life: CefExecuteProcess, CefInitialize,
// CefShutdown, CefEnableHighDPISupport.

#include <windows.h>

#include <string>

#include "command_line_impl.h"
#include "engine.h"
#include "include/cef_app.h"
#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "page_channel.h"
#include "page_records.h"
#include "task_threads.h"
#include "ui_thread.h"

namespace standin {

namespace {

// The application may change the browser process's command line only while
// OnBeforeCommandLineProcessing runs; afterwards everyone sees it read-only.
void RunCommandLineHook(CefRefPtr<CefApp> application, bool args_disabled) {
  CefRefPtr<CefCommandLineImpl> view = CefCommandLineImpl::CreateGlobalView(false);
  if (!view)
    return;
  if (args_disabled) {
    CefRefPtr<CefCommandLine> bare = CefCommandLine::CreateCommandLine();
    if (bare) {
      bare->SetProgram(view->GetProgram());
      application->OnBeforeCommandLineProcessing(CefString(), bare);
    }
  } else {
    application->OnBeforeCommandLineProcessing(CefString(), view.get());
  }
  view->Detach();
}

// Creates the folder and every missing parent, like the real engine does with
// its cache path. Failure is not fatal there either.
void CreateFolderTree(const std::wstring& path) {
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
      std::wstring prefix = path.substr(0, i);
      // Skip drive roots ("C:") and the empty start of "\\server" paths.
      if (!prefix.empty() && prefix.back() != L':')
        CreateDirectoryW(prefix.c_str(), nullptr);
    }
  }
}

std::wstring FromCefString(const cef_string_t& value) {
  return value.str ? std::wstring(value.str, value.length) : std::wstring();
}

}  // namespace

}  // namespace standin

int CefExecuteProcess(const CefMainArgs& /*args*/, CefRefPtr<CefApp> application,
                      void* /*windows_sandbox_info*/) {
  CefRefPtr<CefCommandLineImpl> global = CefCommandLineImpl::CreateGlobalView(true);
  CefRefPtr<CefCommandLine> command_line = global ? global->Copy() : NULL;
  if (!command_line)
    return -1;
  const CefString process_type = command_line->GetSwitchValue("type");
  if (process_type.empty())
    return -1;
  // A sub-process has no work here beyond what the application does with its
  // command line; it ends at once with success.
  if (application)
    application->OnBeforeCommandLineProcessing(process_type, command_line);
  return 0;
}

bool CefInitialize(const CefMainArgs& /*args*/, const CefSettings& settings,
                   CefRefPtr<CefApp> application, void* /*windows_sandbox_info*/) {
  if (standin::EngineInitialized() || settings.size != sizeof(cef_settings_t))
    return false;
  if (!standin::StartUiThread())
    return false;
  standin::OpenEngineLog(settings);
  if (application)
    standin::RunCommandLineHook(application, settings.command_line_args_disabled != 0);
  const std::wstring cache_path = standin::FromCefString(settings.cache_path);
  if (!cache_path.empty())
    standin::CreateFolderTree(cache_path);
  standin::SetEngineInitialized(application, settings);
  standin::EnableWorkerThreads();
  standin::StartPageChannel();
  // 2623 calls this before CefInitialize returns when the caller is the UI
  // thread (no multi-threaded message loop), so no message loop runs yet:
  // a browser created here comes later, and a quit made here is lost.
  CefRefPtr<CefBrowserProcessHandler> handler = standin::BrowserProcessHandler();
  if (handler)
    handler->OnContextInitialized();
  return true;
}

void CefShutdown() {
  if (!standin::EngineInitialized() || !standin::OnUiThread())
    return;
  standin::StopWorkerThreads();
  standin::StopPageChannel();
  standin::ResetEngine();
  standin::ClearPageRecords();
  standin::StopUiThread();
}

void CefEnableHighDPISupport() {
  // Looked up at run time: older systems (and some Wine versions) lack it.
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32)
    return;
  using SetAwareFn = BOOL(WINAPI*)();
  auto set_aware = reinterpret_cast<SetAwareFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (set_aware)
    set_aware();
}
