// Memory that held passwords in clear is wiped before it goes back to the
// heap, so that neither a later allocation nor a crash dump finds them.

#ifndef ZLM_ACCOUNTS_SECRET_MEMORY_H_
#define ZLM_ACCOUNTS_SECRET_MEMORY_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// Sets |size| bytes at |data| to zero in a way the optimiser cannot drop as
// a dead store, even right before the memory is freed.
void SecureWipe(void* data, std::size_t size);

// std::allocator that wipes every block it frees, including the blocks a
// growing string or vector leaves behind when it moves to a larger one.
template <typename T>
struct WipingAllocator {
  using value_type = T;

  WipingAllocator() noexcept = default;
  template <typename U>
  WipingAllocator(const WipingAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
  void deallocate(T* block, std::size_t count) noexcept {
    SecureWipe(block, count * sizeof(T));
    std::allocator<T>().deallocate(block, count);
  }
};

template <typename T, typename U>
bool operator==(const WipingAllocator<T>&, const WipingAllocator<U>&) noexcept {
  return true;
}
template <typename T, typename U>
bool operator!=(const WipingAllocator<T>&, const WipingAllocator<U>&) noexcept {
  return false;
}

// Bytes that hold passwords in clear. A vector rather than a string: a short
// std::string keeps its characters inside the object itself, out of the
// allocator's reach, while a vector keeps every byte in wiped blocks.
using SecretBytes = std::vector<char, WipingAllocator<char>>;

inline std::string_view AsStringView(const SecretBytes& bytes) {
  return std::string_view(bytes.data(), bytes.size());
}

#endif  // ZLM_ACCOUNTS_SECRET_MEMORY_H_
