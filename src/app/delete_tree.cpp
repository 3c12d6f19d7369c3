#include "app/delete_tree.h"

#include "app/paths.h"

namespace {

bool IsLink(std::uint32_t attributes) {
  return (attributes & kAttributeReparsePoint) != 0;
}

bool IsFolder(std::uint32_t attributes) {
  return (attributes & kAttributeDirectory) != 0;
}

// Removes a link without looking through it. Clearing its attributes is not
// safe: Windows applies that to the link's target.
void RemoveLink(FileTree& tree, const std::wstring& path, std::uint32_t attributes) {
  if (IsFolder(attributes))
    tree.RemoveFolder(path);
  else
    tree.RemoveFile(path);
}

void DeleteFolder(FileTree& tree, const std::wstring& folder);

void DeleteEntry(FileTree& tree, const std::wstring& path, std::uint32_t attributes) {
  if (IsLink(attributes)) {
    RemoveLink(tree, path, attributes);
  } else if (IsFolder(attributes)) {
    DeleteFolder(tree, path);
  } else {
    if (attributes & kAttributeReadOnly)
      tree.ClearAttributes(path);
    tree.RemoveFile(path);
  }
}

void DeleteFolder(FileTree& tree, const std::wstring& folder) {
  tree.ListFolder(folder, [&tree, &folder](const std::wstring& name, std::uint32_t attributes) {
    if (name != L"." && name != L"..")
      DeleteEntry(tree, JoinPath(folder, name), attributes);
  });
  tree.RemoveFolder(folder);
}

}  // namespace

void DeleteTreeIn(FileTree& tree, const std::wstring& folder) {
  if (folder.empty())
    return;
  const std::optional<std::uint32_t> attributes = tree.Attributes(folder);
  if (!attributes)
    return;
  if (IsLink(*attributes))
    RemoveLink(tree, folder, *attributes);
  else if (IsFolder(*attributes))
    DeleteFolder(tree, folder);
}

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
  const std::wstring kExtended = L"\\\\?\\";
  std::wstring path;
  if (fullPath.compare(0, 4, kExtended) == 0)
    return fullPath;
  if (fullPath.compare(0, 4, L"\\\\.\\") == 0)
    path = kExtended + fullPath.substr(4);
  else if (fullPath.compare(0, 2, L"\\\\") == 0 && fullPath.size() > 2)
    path = kExtended + L"UNC\\" + fullPath.substr(2);
  else if (fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\')
    path = kExtended + fullPath;
  else
    return fullPath;
  // "\\?\C:\" keeps its separator: without it the name means the volume.
  while (path.size() > kExtended.size() && path.back() == L'\\' && path[path.size() - 2] != L':')
    path.pop_back();
  return path;
}
