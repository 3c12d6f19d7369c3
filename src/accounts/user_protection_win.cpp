#include "accounts/user_protection.h"

#include <windows.h>

#include <wincrypt.h>

#include <utility>

#include "accounts/secret_memory.h"

namespace {

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

DpapiBytes::DpapiBytes(void* block, std::size_t size, bool secret)
    : data_(static_cast<char*>(block)), size_(size), secret_(secret) {}

DpapiBytes::DpapiBytes(DpapiBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      secret_(other.secret_) {}

DpapiBytes& DpapiBytes::operator=(DpapiBytes&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    secret_ = other.secret_;
  }
  return *this;
}

DpapiBytes::~DpapiBytes() {
  Release();
}

void DpapiBytes::Release() {
  if (!data_)
    return;
  if (secret_)
    SecureWipe(data_, size_);
  LocalFree(data_);
  data_ = nullptr;
  size_ = 0;
}

std::optional<DpapiBytes> ProtectForUser(std::string_view plaintext, const wchar_t* description) {
  DATA_BLOB in;
  DATA_BLOB out = {};
  if (!AsDataBlob(plaintext, in) ||
      !CryptProtectData(&in, description, nullptr, nullptr, nullptr, 0, &out))
    return std::nullopt;
  return DpapiBytes(out.pbData, out.cbData, false);
}

std::optional<DpapiBytes> UnprotectForUser(std::string_view blob) {
  DATA_BLOB in;
  DATA_BLOB out = {};
  if (!AsDataBlob(blob, in) ||
      !CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out))
    return std::nullopt;
  return DpapiBytes(out.pbData, out.cbData, true);
}
