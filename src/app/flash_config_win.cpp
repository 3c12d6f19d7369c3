#include "app/flash_config.h"

#include <windows.h>

#include "accounts/store_file.h"
#include "app/delete_tree.h"
#include "app/paths.h"

namespace {

// Creates |folder| (extended-length) and every missing folder above it, from
// the top down; those that exist, or cannot be made (a share's name), are
// passed over. True when |folder| exists at the end.
bool CreateFolders(const std::wstring& folder) {
  for (std::wstring::size_type at = folder.find(L'\\', 4); at != std::wstring::npos;
       at = folder.find(L'\\', at + 1))
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool WriteFlashConfig(const std::wstring& cacheDir, const std::string& siteUrl,
                      const std::vector<std::string>& moreUrls) {
  // Extended-length: a deep install folder must not lose the file.
  const std::wstring file = ExtendedLengthPath(JoinPath(cacheDir, kFlashConfigPath));
  const std::string text = FlashConfigText(siteUrl, moreUrls);
  std::string present;
  if (ReadWholeFile(file, text.size() + 1, present) == FileRead::kRead && present == text)
    return true;
  return CreateFolders(file.substr(0, file.find_last_of(L'\\'))) && ReplaceFileDurably(file, text);
}
