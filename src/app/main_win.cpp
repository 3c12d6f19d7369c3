// Entry point of every launcher process: the browser process and each of the
// CEF sub-processes, which are copies of this executable.

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "app/cache_restart.h"
#include "app/config.h"
#include "app/flash_config.h"
#include "app/launcher_instance.h"
#include "app/launcher_app.h"
#include "app/paths.h"
#include "app/pe_machine.h"
#include "app/process_values.h"
#include "app/restart_switch.h"
#include "app/support_log.h"
#include "app/trace.h"
#include "browser/main_window.h"
#include "include/cef_app.h"
#include "presence/discord_rpc.h"

namespace {

// Exit codes of the browser process.
constexpr int kExitOk = 0;
constexpr int kExitCefFailed = -1;
constexpr int kExitWrongPlugin = -2;

}  // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE /*prev*/, LPWSTR commandLine, int /*show*/) {
  exeDir = GetExeDir();
  launchTickMs = GetTickCount64();
  siteHost = SiteHostOf(kSiteUrl);
  const bool supportLog = StartSupportLogIfAsked();

  // A plug-in built for another processor would crash Chromium's plug-in
  // process later, with nothing the player could understand; refuse it now.
  const uint16_t flashMachine = ReadPeMachine(FlashPluginPath());
  if (!FlashMachineAccepted(flashMachine)) {
    MessageBoxW(nullptr, FlashArchMessage(flashMachine).c_str(), L"Zelmora Launcher",
                MB_OK | MB_ICONERROR);
    return kExitWrongPlugin;
  }
  Trace(StartupTraceLine(flashMachine, kSiteUrl));

  CefEnableHighDPISupport();

  CefMainArgs mainArgs(instance);
  CefRefPtr<LauncherApp> app(new LauncherApp());

  const int subProcessCode = CefExecuteProcess(mainArgs, app.get(), nullptr);
  if (subProcessCode >= 0)
    return subProcessCode;

  // One launcher per install folder: a second one would share the cache. A
  // restarted copy takes the folder over from the launcher it replaces; any
  // other start leaves it to the running launcher, whose window comes forward.
  // Not an error for the player.
  const bool restarting = commandLine && RestartSwitchProcessId(commandLine).has_value();
  if (restarting ? !HandleRestartCacheClear(commandLine)
                 : ClaimInstallFolder() == FolderClaim::kElsewhere)
    return kExitOk;

  // The plug-in reads it when it starts; after a cache clear it comes back
  // here, in the restarted copy.
  const std::wstring cacheDir = JoinPath(exeDir, L"cache");
  if (!WriteFlashConfig(cacheDir, kSiteUrl,
                        std::vector<std::string>(std::begin(kFlashAllowOrigins),
                                                 std::end(kFlashAllowOrigins) - 1)))
    Trace("mms.cfg could not be written");

  CefSettings settings;
  settings.no_sandbox = 1;
  CefString(&settings.cache_path) = cacheDir;
  settings.persist_session_cookies = 1;
  settings.persist_user_preferences = 1;
  if (supportLog) {
    // The engine's warnings go into the same file, with its own line format.
    settings.log_severity = LOGSEVERITY_WARNING;
    CefString(&settings.log_file) = SupportLogPath();
  } else {
    settings.log_severity = LOGSEVERITY_DISABLE;
  }

  if (!CefInitialize(mainArgs, settings, app.get(), nullptr))
    return kExitCefFailed;

  // OnContextInitialized has run inside CefInitialize already, where a quit is
  // lost: a browser refused there means no window would ever end the loop.
  if (!mainBrowserFailed) {
    StartPresenceThread(DiscordRpcThread);
    CefRunMessageLoop();
    // Bounded: the window is gone already, and a launcher that stays behind
    // keeps the cache locked against the next start or an update.
    if (!StopPresenceThread())
      Trace("DiscordRpc: thread did not end, left behind");
  }

  CefShutdown();
  // Only now may a restarted copy clear the cache.
  LetGoOfInstallFolder();
  return mainBrowserFailed ? kExitCefFailed : kExitOk;
}
