#include "app/pe_machine.h"

#include <ios>

namespace {

constexpr std::streamsize kDosHeaderSize = 64;
constexpr std::streamsize kPeHeaderOffsetAt = 60;
constexpr std::streamsize kSignatureAndMachineSize = 6;

uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint16_t LittleEndian16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool ReadExactly(std::istream& in, unsigned char* buffer, std::streamsize count) {
  in.read(reinterpret_cast<char*>(buffer), count);
  return in.gcount() == count;
}

}  // namespace

uint16_t ReadPeMachineFrom(std::istream& in) {
  unsigned char dos[kDosHeaderSize] = {};
  if (!ReadExactly(in, dos, kDosHeaderSize))
    return 0;
  if (dos[0] != 'M' || dos[1] != 'Z')
    return 0;

  // The offset is unsigned 32-bit; std::streamoff is 64-bit on every target,
  // so even 0xFFFFFFF0 stays a positive position. A seek that fails leaves
  // the stream failed, and the read below then gets nothing.
  const uint32_t peOffset = LittleEndian32(dos + kPeHeaderOffsetAt);
  static_assert(sizeof(std::streamoff) > sizeof(uint32_t), "streamoff must hold any offset");
  in.clear();
  in.seekg(static_cast<std::streamoff>(peOffset), std::ios::beg);

  unsigned char pe[kSignatureAndMachineSize] = {};
  if (!ReadExactly(in, pe, kSignatureAndMachineSize))
    return 0;
  if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
    return 0;
  return LittleEndian16(pe + 4);
}

std::wstring ArchName(uint16_t machine) {
  switch (machine) {
    case kMachineX86:
      return L"x86";
    case kMachineX64:
      return L"x64";
    default:
      return L"bilinmiyor";
  }
}

std::string ArchTraceWord(uint16_t machine) {
  switch (machine) {
    case kMachineX86:
      return "x86";
    case kMachineX64:
      return "x64";
    default:
      return "unknown";
  }
}

bool FlashMachineAccepted(uint16_t machine) {
  return machine == 0 || machine == kMachineX86;
}

std::wstring FlashArchMessage(uint16_t pluginMachine) {
  return L"Flash DLL mimarisi uyumsuz.\n\nUygulama: " + ArchName(kMachineX86) +
         L"\npepflashplayer.dll: " + ArchName(pluginMachine) +
         L"\n\nDogru mimaride pepflashplayer.dll kullanin.";
}

std::string StartupTraceLine(uint16_t pluginMachine, const std::string& siteUrl) {
  return "v3 startup app=" + ArchTraceWord(kMachineX86) + " flash=" +
         ArchTraceWord(pluginMachine) + " site=" + siteUrl;
}
