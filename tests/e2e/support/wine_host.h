// Reaching the host system when the tests run under Wine, for the few
// file-system fixtures Wine's Win32 layer cannot make or remove (folder
// links are host symbolic links there).
#ifndef ZLM_TESTS_E2E_SUPPORT_WINE_HOST_H_
#define ZLM_TESTS_E2E_SUPPORT_WINE_HOST_H_

#include <optional>
#include <string>
#include <vector>

namespace e2e {

bool RunningUnderWine();

// The host path of a Windows path; nothing when not under Wine.
std::optional<std::string> HostPathOf(const std::wstring& path);

// Starts a host program (absolute host path first). Wine cannot wait for a
// host process, so callers poll for its effect. False when not under Wine
// or it could not be started.
bool RunHostProgram(const std::vector<std::string>& arguments);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_WINE_HOST_H_
