// Processor architecture of a PE file, used to refuse a Flash plug-in that
// this 32-bit x86 process could never load.

#ifndef ZLM_APP_PE_MACHINE_H_
#define ZLM_APP_PE_MACHINE_H_

#include <cstdint>
#include <istream>
#include <string>

constexpr uint16_t kMachineX86 = 0x014C;
constexpr uint16_t kMachineX64 = 0x8664;

// The COFF machine field of the PE image in |in|, or 0 when |in| is not a PE
// image (too short, no "MZ", header offset outside the data, no "PE\0\0").
uint16_t ReadPeMachineFrom(std::istream& in);

// The same for a file, opened so that other readers and writers may keep it
// open; 0 when it cannot be opened. Windows only (pe_machine_win.cpp).
uint16_t ReadPeMachine(const std::wstring& path);

// Word for the plug-in message box: "x86", "x64" or "bilinmiyor".
std::wstring ArchName(uint16_t machine);

// Word for trace lines: "x86", "x64" or "unknown".
std::string ArchTraceWord(uint16_t machine);

// True for the machine values that may start: x86, and 0 for a missing or
// unreadable plug-in that Chromium will simply fail to load.
bool FlashMachineAccepted(uint16_t machine);

// Text of the message box shown before refusing a plug-in of |pluginMachine|.
std::wstring FlashArchMessage(uint16_t pluginMachine);

// "v3 startup app=x86 flash=<word> site=<siteUrl>".
std::string StartupTraceLine(uint16_t pluginMachine, const std::string& siteUrl);

#endif  // ZLM_APP_PE_MACHINE_H_
