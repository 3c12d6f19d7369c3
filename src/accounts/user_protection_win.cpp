#include "accounts/user_protection.h"

#include <windows.h>

#include <wincrypt.h>

#include <memory>

namespace {

struct LocalFreeDeleter {
  void operator()(BYTE* block) const { LocalFree(block); }
};

// For DPAPI's output that holds passwords in clear.
struct WipeThenLocalFree {
  DWORD size;
  void operator()(BYTE* block) const {
    SecureWipe(block, size);
    LocalFree(block);
  }
};

bool AsDataBlob(std::string_view bytes, DATA_BLOB& blob) {
  static BYTE nothing = 0;  // DPAPI gets a valid pointer even for zero bytes
  if (bytes.size() > MAXDWORD)
    return false;
  blob.cbData = static_cast<DWORD>(bytes.size());
  blob.pbData = bytes.empty() ? &nothing
                              : reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  return true;
}

}  // namespace

std::optional<std::string> ProtectForUser(std::string_view plaintext, const wchar_t* description) {
  DATA_BLOB in;
  DATA_BLOB out = {};
  if (!AsDataBlob(plaintext, in) ||
      !CryptProtectData(&in, description, nullptr, nullptr, nullptr, 0, &out))
    return std::nullopt;
  const std::unique_ptr<BYTE, LocalFreeDeleter> owned(out.pbData);
  return std::string(reinterpret_cast<const char*>(out.pbData), out.cbData);
}

bool UnprotectForUser(std::string_view blob, SecretBytes& plaintext) {
  DATA_BLOB in;
  DATA_BLOB out = {};
  if (!AsDataBlob(blob, in) ||
      !CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out))
    return false;
  const std::unique_ptr<BYTE, WipeThenLocalFree> owned(out.pbData, WipeThenLocalFree{out.cbData});
  const char* clear = reinterpret_cast<const char*>(out.pbData);
  plaintext.assign(clear, clear + out.cbData);
  return true;
}
