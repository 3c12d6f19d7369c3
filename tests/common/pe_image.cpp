#include "pe_image.h"

namespace fixtures {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kLfanewOffset = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kFileSize = 0x400;

void Put16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

void PutText(std::string& bytes, size_t at, const std::string& text) {
  bytes.replace(at, text.size(), text);
}

bool Is64Bit(uint16_t machine) {
  return machine == kMachineX64 || machine == kMachineArm64;
}

std::string MakeValidImage(uint16_t machine) {
  std::string bytes(kFileSize, '\0');
  PutText(bytes, 0, "MZ");
  Put16(bytes, 0x02, 0x90);  // bytes on the last DOS page
  Put16(bytes, 0x04, 0x03);  // DOS pages
  Put16(bytes, 0x08, 0x04);  // header paragraphs
  Put32(bytes, kLfanewOffset, kPeHeaderOffset);
  PutText(bytes, 0x4E, "This program cannot be run in DOS mode.\r\r\n$");

  const size_t coff = kPeHeaderOffset + 4;
  const uint16_t optional_size = Is64Bit(machine) ? 0xF0 : 0xE0;
  PutText(bytes, kPeHeaderOffset, std::string("PE\0\0", 4));
  Put16(bytes, coff + 0, machine);
  Put16(bytes, coff + 2, 1);  // one section
  Put32(bytes, coff + 4, 0x5F000000);
  Put16(bytes, coff + 16, optional_size);
  Put16(bytes, coff + 18, Is64Bit(machine) ? 0x2022 : 0x2102);

  const size_t optional = coff + kCoffHeaderSize;
  Put16(bytes, optional, Is64Bit(machine) ? 0x20B : 0x10B);
  Put32(bytes, optional + 32, 0x1000);  // section alignment
  Put32(bytes, optional + 36, 0x200);   // file alignment

  const size_t section = optional + optional_size;
  static_assert(kPeHeaderOffset + 4 + kCoffHeaderSize + 0xF0 +
                        kSectionHeaderSize <= kFileSize,
                "headers must fit the image");
  PutText(bytes, section, ".text");
  Put32(bytes, section + 8, 0x200);    // virtual size
  Put32(bytes, section + 12, 0x1000);  // virtual address
  Put32(bytes, section + 16, 0x200);   // raw size
  Put32(bytes, section + 20, 0x200);   // raw offset
  return bytes;
}

}  // namespace

std::string MakePeFile(uint16_t machine, PeDefect defect) {
  std::string bytes = MakeValidImage(machine);
  switch (defect) {
    case PeDefect::kNone:
      break;
    case PeDefect::kShortFile:
      bytes.resize(kDosHeaderSize - 1);
      break;
    case PeDefect::kNoMz:
      PutText(bytes, 0, "ZM");
      break;
    case PeDefect::kHeaderPastEnd:
      Put32(bytes, kLfanewOffset, static_cast<uint32_t>(kFileSize) + 0x10);
      break;
    case PeDefect::kHeaderOffsetHuge:
      Put32(bytes, kLfanewOffset, 0xFFFFFFF0u);
      break;
    case PeDefect::kWrongSignature:
      bytes[kPeHeaderOffset + 1] = 'X';
      break;
    case PeDefect::kTruncatedHeader:
      bytes.resize(kPeHeaderOffset + 5);
      break;
  }
  return bytes;
}

std::string MinimalPeImage(uint16_t machine, uint32_t peOffset) {
  std::string bytes(static_cast<size_t>(peOffset) + kCoffHeaderSize + 4, '\0');
  PutText(bytes, 0, "MZ");
  Put32(bytes, kLfanewOffset, peOffset);
  PutText(bytes, peOffset, std::string("PE\0\0", 4));
  Put16(bytes, peOffset + 4, machine);
  return bytes;
}

std::string WithHeaderOffset(std::string image, uint32_t peOffset) {
  Put32(image, kLfanewOffset, peOffset);
  return image;
}

std::string WithByte(std::string image, std::size_t at, char value) {
  image[at] = value;
  return image;
}

const char* PeDefectName(PeDefect defect) {
  switch (defect) {
    case PeDefect::kNone:
      return "none";
    case PeDefect::kShortFile:
      return "short file";
    case PeDefect::kNoMz:
      return "no MZ";
    case PeDefect::kHeaderPastEnd:
      return "header offset past end";
    case PeDefect::kHeaderOffsetHuge:
      return "header offset huge";
    case PeDefect::kWrongSignature:
      return "wrong PE signature";
    case PeDefect::kTruncatedHeader:
      return "truncated PE header";
  }
  return "?";
}

}  // namespace fixtures
