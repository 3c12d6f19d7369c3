// Deleting a folder with everything below it, as far as the file system
// allows, without ever following a link out of it. The walk is portable; the
// file system sits behind FileTree (Windows: cache_restart_win.cpp).

#ifndef ZLM_APP_DELETE_TREE_H_
#define ZLM_APP_DELETE_TREE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The Windows attribute bits the walk decides on (FILE_ATTRIBUTE_*).
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

class FileTree {
 public:
  using EntryVisitor = std::function<void(const std::wstring& name, std::uint32_t attributes)>;

  virtual ~FileTree() = default;

  // The attributes of |path| itself (of a link, not of what it points at);
  // nothing when there is no such entry.
  virtual std::optional<std::uint32_t> Attributes(const std::wstring& path) = 0;
  // Visits every entry of |folder| with the entry's own attributes; "." and
  // ".." may come too. Visits nothing when the folder cannot be listed.
  virtual void ListFolder(const std::wstring& folder, const EntryVisitor& visit) = 0;
  // Each of these may fail; the walk goes on regardless.
  virtual void ClearAttributes(const std::wstring& path) = 0;  // makes a read-only file deletable
  virtual void RemoveFile(const std::wstring& path) = 0;       // a file, or a file link itself
  virtual void RemoveFolder(const std::wstring& path) = 0;     // an empty folder, or a folder link itself
};

// Deletes |folder| depth first. A file that cannot be deleted stays, and so
// does every folder above it. A link (junction, symbolic link, any reparse
// point) is removed itself and never entered, so nothing outside |folder| is
// touched; if |folder| is a link, only the link goes. A missing folder, an
// empty path and a path naming a file do nothing.
void DeleteTreeIn(FileTree& tree, const std::wstring& folder);

// The extended-length form of a full path (absolute, backslashes, no "." or
// ".." parts, as GetFullPathNameW gives it), which Windows takes beyond 260
// units: "C:\a" becomes "\\?\C:\a", "\\server\share\a" becomes
// "\\?\UNC\server\share\a", "\\.\X" becomes "\\?\X", a path already
// extended stays. A separator at the end is dropped unless it ends a drive's
// root. Anything else (relative, empty) comes back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

#endif  // ZLM_APP_DELETE_TREE_H_
