// A fresh folder per test, so each launcher copy gets its own
// accounts.dat and cache beside it.
#ifndef ZLM_TESTS_E2E_SUPPORT_TEMP_DIR_H_
#define ZLM_TESTS_E2E_SUPPORT_TEMP_DIR_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

class TempDir {
 public:
  // Creates an empty folder under %TEMP% (long path form). On failure
  // path() is empty and error() says why.
  TempDir();
  // Removes the whole tree, best effort; links inside it are removed
  // themselves, their targets are left alone.
  ~TempDir();

  TempDir(TempDir&& other) noexcept;
  TempDir& operator=(TempDir&& other) noexcept;
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool IsValid() const { return !path_.empty(); }
  const std::wstring& path() const { return path_; }
  const std::string& error() const { return error_; }

  // `relative` may hold backslashes; an empty one names the folder itself.
  std::wstring PathOf(const std::wstring& relative) const;

  // Copies `source` in under `relative`, by default its own file name.
  testing::AssertionResult CopyIn(const std::wstring& source,
                                  const std::wstring& relative = {}) const;
  // Copies a program on CEF in under `relative` (by default its own name),
  // with the libcef.dll beside it, which it needs to start.
  testing::AssertionResult CopyProgramIn(const std::wstring& exe,
                                         const std::wstring& relative = {}) const;
  // Creates missing parent folders; replaces an existing file.
  testing::AssertionResult WriteBytes(const std::wstring& relative,
                                      const std::string& bytes) const;
  testing::AssertionResult MakeFolder(const std::wstring& relative) const;

  bool Exists(const std::wstring& relative) const;
  std::optional<std::string> ReadBytes(const std::wstring& relative) const;

 private:
  void Remove();

  std::wstring path_;
  std::string error_;
};

// The part after the last '\' or '/'.
std::wstring FileNameOf(const std::wstring& path);

// Deletes `path` and everything below it without following junctions or
// symbolic links, clearing read-only attributes on the way. True when
// nothing is left.
bool RemoveTree(const std::wstring& path);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_TEMP_DIR_H_
