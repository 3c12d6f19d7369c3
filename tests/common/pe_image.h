// Made-up PE files for the plug-in architecture check, shared by the native,
// Windows and end-to-end suites. Only the header fields a loader inspects
// first are meaningful; there is no code inside. Portable: no <windows.h>.
#ifndef ZLM_TESTS_COMMON_PE_IMAGE_H_
#define ZLM_TESTS_COMMON_PE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace fixtures {

constexpr uint16_t kMachineX86 = 0x014C;
constexpr uint16_t kMachineX64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;

constexpr uint32_t kPeHeaderOffset = 0x80;

enum class PeDefect {
  kNone,
  kShortFile,         // ends inside the 64-byte DOS header
  kNoMz,              // full DOS header, first two bytes not "MZ"
  kHeaderPastEnd,     // header offset at 0x3C points beyond the end
  kHeaderOffsetHuge,  // header offset 0xFFFFFFF0: beyond any file
  kWrongSignature,    // header offset points at "PX\0\0"
  kTruncatedHeader,   // "PE\0\0" then the file ends before the machine word
};

// Bytes of a DLL image for `machine`, broken as `defect` says. The machine
// word is written in every variant that reaches it, so a reader that skips
// a check still finds a plausible value there.
std::string MakePeFile(uint16_t machine, PeDefect defect = PeDefect::kNone);

const char* PeDefectName(PeDefect defect);

// The bare minimum a reader of the machine word needs: "MZ", the header
// offset at 0x3C, "PE\0\0" and the machine, at any header offset.
std::string MinimalPeImage(uint16_t machine, uint32_t peOffset = kPeHeaderOffset);
// `image` with its header offset (at 0x3C) replaced.
std::string WithHeaderOffset(std::string image, uint32_t peOffset);
// `image` with one byte replaced.
std::string WithByte(std::string image, std::size_t at, char value);

}  // namespace fixtures

#endif  // ZLM_TESTS_COMMON_PE_IMAGE_H_
