// The product's mute through Wine's own Core Audio. With no output device, and
// with a PulseAudio null sink (a device whose session list Wine 8 does not
// offer), the call ends and leaves the calling thread's COM state as it was.

#include "bridge/audio_mute.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "bridge/scoped_com_init.h"
#include "e2e/support/temp_dir.h"
#include "e2e/support/utf_convert.h"
#include "e2e/support/wait.h"
#include "e2e/support/wine_host.h"

namespace {

using Microsoft::WRL::ComPtr;

// What the calling thread itself has of COM.
struct ComState {
  bool initialised = false;
  APTTYPE apartment = APTTYPE_CURRENT;

  bool operator==(const ComState& other) const {
    return initialised == other.initialised && apartment == other.apartment;
  }
};

void PrintTo(const ComState& state, std::ostream* out) {
  if (!state.initialised)
    *out << "no COM";
  else
    *out << "apartment type " << state.apartment;
}

ComState ReadComState() {
  APTTYPE apartment = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  // A thread without COM of its own reports the implicit multithreaded
  // apartment while another thread (the mute's hold) keeps one.
  if (FAILED(CoGetApartmentType(&apartment, &qualifier)) ||
      qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA)
    return {};
  return {true, apartment};
}

bool HasDefaultOutputDevice() {
  const ScopedComInit com(COINIT_MULTITHREADED);
  ComPtr<IMMDeviceEnumerator> devices;
  ComPtr<IMMDevice> device;
  return SUCCEEDED(CreateCoreAudioDeviceEnumerator(&devices)) &&
         SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device));
}

TEST(AudioMuteRealPathTest, EndsCleanlyAndLeavesComAsFound) {
  // The null-sink test reads this from the report of the suite copy it runs.
  RecordProperty("output_device", HasDefaultOutputDevice() ? "yes" : "no");
  struct Case {
    const char* what;
    std::optional<DWORD> model;
  };
  const Case cases[] = {
      {"no COM", std::nullopt},
      {"single-threaded apartment", COINIT_APARTMENTTHREADED},
      {"multithreaded apartment, the other model", COINIT_MULTITHREADED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::thread([&c] {
      if (c.model) {
        ASSERT_EQ(CoInitializeEx(nullptr, *c.model), S_OK);
      }
      const ComState found = ReadComState();
      for (const bool mute : {true, true, false}) {
        SetLauncherAudioMute(mute);
        EXPECT_EQ(ReadComState(), found) << (mute ? "after mute" : "after unmute");
      }
      if (c.model)
        CoUninitialize();
      // Nothing of the calls is left on the thread.
      const HRESULT fresh = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      EXPECT_EQ(fresh, S_OK);
      if (SUCCEEDED(fresh))
        CoUninitialize();
    }).join();
  }
}

bool HostFileExists(const std::string& hostPath) {
  std::wstring path = L"Z:" + e2e::Utf8ToWide(hostPath);
  for (wchar_t& c : path) {
    if (c == L'/')
      c = L'\\';
  }
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine picks its PulseAudio driver when a process starts, from the host
// environment, so the check runs in a copy of this suite started from the host
// against a private PulseAudio server with only a null sink.
TEST(AudioMuteRealPathTest, WithANullSinkDeviceTooTheCallEndsCleanly) {
  if (!e2e::RunningUnderWine())
    GTEST_SKIP() << "drives Wine's PulseAudio driver";
  const std::string pulseaudio = "/usr/bin/pulseaudio";
  const std::string wine = "/usr/lib/wine/wine";
  if (!HostFileExists(pulseaudio) || !HostFileExists(wine))
    GTEST_SKIP() << "needs " << pulseaudio << " and " << wine;

  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  // Host programs inherit the test's output streams; the server would hold
  // the suite's output open for as long as it runs.
  ASSERT_TRUE(dir.WriteBytes(L"quiet.sh", "exec \"$@\" </dev/null >/dev/null 2>&1\n"));
  const std::optional<std::string> folder = e2e::HostPathOf(dir.path());
  const std::optional<std::string> quiet = e2e::HostPathOf(dir.PathOf(L"quiet.sh"));
  wchar_t self[32768] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, 32768), 0u);
  const std::optional<std::string> suite = e2e::HostPathOf(self);
  ASSERT_TRUE(folder && quiet && suite);
  const std::string server = "PULSE_SERVER=unix:" + *folder + "/native";
  const auto serverLog = [&] { return dir.ReadBytes(L"log").value_or(""); };
  const auto serverSays = [&](const char* text) {
    return serverLog().find(text) != std::string::npos;
  };

  // Ends by itself a minute after its last client, should the test not get
  // to stop it.
  ASSERT_TRUE(e2e::RunHostProgram(
      {"/bin/sh", *quiet, "/usr/bin/env", "HOME=" + *folder, "XDG_RUNTIME_DIR=" + *folder,
       "PULSE_RUNTIME_PATH=" + *folder, pulseaudio, "-n", "--daemonize=no", "--exit-idle-time=60",
       "--log-level=info", "--log-target=file:" + *folder + "/log", "-L",
       "module-native-protocol-unix socket=" + *folder + "/native auth-anonymous=1", "-L",
       "module-null-sink"}));
  // Wine does not show the server's socket as a file; the log tells.
  const bool serving = e2e::PollUntil([&] { return serverSays("Daemon startup complete"); });
  EXPECT_TRUE(serving) << "no PulseAudio server: " << serverLog();

  std::optional<std::string> report;
  if (serving && e2e::RunHostProgram({"/bin/sh", *quiet, "/usr/bin/env", server, wine, *suite,
                                      "--gtest_filter=AudioMuteRealPathTest.EndsCleanlyAndLeavesComAsFound",
                                      "--gtest_output=xml:" + e2e::WideToUtf8(dir.PathOf(L"suite.xml"))})) {
    report = e2e::PollUntil(
        [&]() -> std::optional<std::string> {
          std::optional<std::string> text = dir.ReadBytes(L"suite.xml");
          if (text && text->find("</testsuites>") != std::string::npos)
            return text;
          return std::nullopt;
        },
        std::chrono::seconds(90));
  }
  e2e::RunHostProgram({"/usr/bin/env", server, "/usr/bin/pactl", "exit"});
  e2e::PollUntil([&] { return serverSays("Daemon shutdown"); }, std::chrono::seconds(5));

  ASSERT_TRUE(report) << "the suite copy did not finish";
  for (const char* expected : {"tests=\"1\" failures=\"0\"", "result=\"completed\"",
                               "name=\"output_device\" value=\"yes\""})
    EXPECT_NE(report->find(expected), std::string::npos) << expected << " in " << *report;
}

}  // namespace
