// The file steps of the account store, each made so that no failure or
// crash part-way loses what the file held. Windows only (store_file_win.cpp).

#ifndef ZLM_ACCOUNTS_STORE_FILE_H_
#define ZLM_ACCOUNTS_STORE_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

enum class FileRead {
  kRead,
  kAbsent,    // no such file (or no such folder)
  kTooLarge,  // larger than the caller's limit; not read
  kFailed,    // it is there but could not be opened or read
};

// Reads every byte of |path| into |bytes|. The file is opened without any
// sharing restriction, so that a writer replacing it is never held up.
FileRead ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes);

// Writes |bytes| to TemporaryPathFor(path), flushes it to the disk and puts it
// in place of |path| with one rename, whether or not |path| exists yet. On
// failure |path| is as it was and the temporary file is gone.
bool ReplaceFileDurably(const std::wstring& path, std::string_view bytes);

// Removes the temporary files that killed saves left beside |path|. Only
// under the store's lock (store_lock.h): another process's save has closed
// its temporary file before it renames it, and must not lose it meanwhile.
void RemoveLeftoverTemporaries(const std::wstring& path);

// "<path>.<process id>.tmp": in the same folder, so the final rename never
// crosses volumes; one per process, so concurrent launchers do not collide.
std::wstring TemporaryPathFor(const std::wstring& path);

// Renames |path| to "<path>.unreadable-<n>" with the lowest n from 1 whose
// name is free; an existing file is never replaced. False when |path| could
// not be renamed.
bool KeepFileAside(const std::wstring& path);

#endif  // ZLM_ACCOUNTS_STORE_FILE_H_
