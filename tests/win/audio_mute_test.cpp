// The mute over hand-made Core Audio objects: which sessions the walk touches,
// which device it goes to, the hold for sessions that appear later, and that
// every reference taken is given back.

#include "bridge/audio_mute.h"
#include "bridge/session_mute_hold.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "e2e/support/wait.h"
#include "fake_core_audio.h"

namespace {

using Microsoft::WRL::ComPtr;

// The System process on Windows; never named like a test program.
constexpr DWORD kOtherProgram = 4;
// A session opened through the fake manager is held by the test and the manager.
constexpr ULONG kTestAndManager = 2;

ULONG ReferencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// Sessions on the default output device for the console role, and on a
// device that is the default for everything else.
struct FakeAudio {
  explicit FakeAudio(const fake::ManagerTraits& traits = {})
      : consoleSessions(fake::Make<fake::SessionManager>(traits)),
        otherSessions(fake::Make<fake::SessionManager>()),
        consoleOutput(fake::Make<fake::Device>(consoleSessions)),
        otherDevice(fake::Make<fake::Device>(otherSessions)),
        devices(fake::Make<fake::DeviceEnumerator>(consoleOutput, otherDevice)) {}

  // Holds no reference of its own, so counts before and after compare.
  DeviceEnumeratorSource Source() const {
    fake::DeviceEnumerator* const enumerator = devices.Get();
    return [enumerator](IMMDeviceEnumerator** result) {
      return enumerator->QueryInterface(IID_PPV_ARGS(result));
    };
  }

  std::vector<ULONG> References() const {
    return {consoleSessions->references(), otherSessions->references(),
            consoleOutput->references(), otherDevice->references(), devices->references()};
  }

  ComPtr<fake::SessionManager> consoleSessions;
  ComPtr<fake::SessionManager> otherSessions;
  ComPtr<fake::Device> consoleOutput;
  ComPtr<fake::Device> otherDevice;
  ComPtr<fake::DeviceEnumerator> devices;
};

TEST(AudioSessionWalkTest, OnlyOurSessionsFollowTheSwitchAndEveryReferenceIsGivenBack) {
  const DWORD self = GetCurrentProcessId();
  struct Case {
    const char* what;
    fake::SessionTraits traits;
    bool ours;
  };
  const Case cases[] = {
      {"ours", {self}, true},
      {"another program's", {kOtherProgram}, false},
      {"one whose process id cannot be read", {self, false}, false},
      {"one without IAudioSessionControl2", {self, true, false}, false},
      {"one without a volume", {self, true, true, false}, false},
      {"ours, after the odd ones", {self}, true},
  };
  std::vector<ComPtr<fake::Session>> sessions;
  std::vector<ComPtr<fake::Session>> entries;
  for (const Case& c : cases) {
    sessions.push_back(fake::Make<fake::Session>(c.traits));
    entries.push_back(sessions.back());
    if (entries.size() == 2)
      entries.emplace_back();  // a session reported without an interface
  }
  const ComPtr<fake::SessionList> list = fake::Make<fake::SessionList>(entries);
  const ULONG listReferences = list->references();
  std::vector<ULONG> sessionReferences;
  for (const ComPtr<fake::Session>& session : sessions)
    sessionReferences.push_back(session->references());

  for (const bool mute : {true, true, false}) {
    SetMuteOfLauncherSessions(list.Get(), {self}, mute);
    for (size_t i = 0; i < sessions.size(); ++i) {
      EXPECT_EQ(sessions[i]->muted(), mute && cases[i].ours)
          << cases[i].what << (mute ? ", after mute" : ", after unmute");
      EXPECT_EQ(sessions[i]->references(), sessionReferences[i]) << cases[i].what;
    }
  }
  EXPECT_EQ(list->references(), listReferences);
}

TEST(LauncherAudioMuteTest, OnlyTheDefaultOutputDeviceForTheConsoleRoleIsTouched) {
  const DWORD self = GetCurrentProcessId();
  FakeAudio audio;
  const ComPtr<fake::Session> ours = audio.consoleSessions->OpenSession({self});
  const ComPtr<fake::Session> others = audio.consoleSessions->OpenSession({kOtherProgram});
  const ComPtr<fake::Session> oursElsewhere = audio.otherSessions->OpenSession({self});
  const std::vector<ULONG> references = audio.References();
  {
    LauncherAudioMute mute(OwnExeFileName(), audio.Source());
    mute.Set(true);
    EXPECT_TRUE(ours->muted());
    EXPECT_FALSE(others->muted());
    EXPECT_FALSE(oursElsewhere->muted());
    mute.Set(false);
    EXPECT_FALSE(ours->muted());
  }
  EXPECT_EQ(audio.References(), references);
  for (const fake::Session* session : {ours.Get(), others.Get(), oursElsewhere.Get()})
    EXPECT_EQ(session->references(), kTestAndManager);
}

TEST(SessionMuteHoldTest, OurSessionsThatAppearWhileMutedAreMutedOnArrival) {
  const DWORD self = GetCurrentProcessId();
  FakeAudio audio;
  const std::vector<ULONG> references = audio.References();
  ComPtr<fake::Session> othersLater;
  ComPtr<fake::Session> oursLater;
  ComPtr<fake::Session> oursAfterUnmute;
  {
    LauncherAudioMute mute(OwnExeFileName(), audio.Source());
    mute.Set(true);
    ASSERT_EQ(audio.consoleSessions->registrations(), 1u);

    othersLater = audio.consoleSessions->OpenSession({kOtherProgram});
    oursLater = audio.consoleSessions->OpenSession({self});
    EXPECT_TRUE(e2e::PollUntil([&] { return oursLater->muted(); }));
    // Reported before ours, so already dealt with.
    EXPECT_FALSE(othersLater->muted());

    mute.Set(false);
    EXPECT_EQ(audio.consoleSessions->registrations(), 0u);
    EXPECT_FALSE(oursLater->muted());
    oursAfterUnmute = audio.consoleSessions->OpenSession({self});
    // A report that was on its way while the hold ended.
    audio.consoleSessions->lastRegistered()->OnSessionCreated(oursAfterUnmute.Get());
    EXPECT_FALSE(oursAfterUnmute->muted());

    mute.Set(true);
    mute.Set(true);
    EXPECT_EQ(audio.consoleSessions->registrations(), 1u);
    EXPECT_TRUE(oursAfterUnmute->muted());
  }
  // The launcher ended while the mute held.
  EXPECT_EQ(audio.consoleSessions->registrations(), 0u);
  EXPECT_EQ(audio.References(), references);
  // Nothing holds the last notification but the fake manager's record of it.
  EXPECT_EQ(ReferencesOf(audio.consoleSessions->lastRegistered().Get()), 2u);
  for (const fake::Session* session : {othersLater.Get(), oursLater.Get(), oursAfterUnmute.Get()})
    EXPECT_EQ(session->references(), kTestAndManager);
}

// Wine 8 can do neither; a device may lack either.
TEST(SessionMuteHoldTest, ADeviceThatCannotReportNewSessionsStillGetsTheWalk) {
  const DWORD self = GetCurrentProcessId();
  struct Case {
    fake::ManagerTraits traits;
    bool walked;
  };
  const Case cases[] = {
      {{true, false}, true},
      {{false, true}, false},
      {{false, false}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lists sessions " << c.traits.listsSessions
                                    << ", reports new sessions " << c.traits.reportsNewSessions);
    FakeAudio audio(c.traits);
    const ComPtr<fake::Session> ours = audio.consoleSessions->OpenSession({self});
    const std::vector<ULONG> references = audio.References();
    {
      LauncherAudioMute mute(OwnExeFileName(), audio.Source());
      mute.Set(true);
      EXPECT_EQ(ours->muted(), c.walked);
      EXPECT_EQ(audio.consoleSessions->registrations(), 0u);
      mute.Set(false);
      EXPECT_FALSE(ours->muted());
    }
    EXPECT_EQ(audio.References(), references);
    EXPECT_EQ(ours->references(), kTestAndManager);
  }
}

// The launcher ends while the hold thread hangs in a call into the audio
// service: stopping waits a bounded time, and the thread left behind still
// ends cleanly once the call returns, on state of its own.
TEST(SessionMuteHoldTest, StoppingAHungHoldWaitsAtMostTheBound) {
  const HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(gate);
  FakeAudio audio;
  ComPtr<fake::Session> hung;
  {
    SessionMuteHold hold(OwnExeFileName(), audio.Source());
    ASSERT_TRUE(hold.Start());
    hung = audio.consoleSessions->OpenSession({GetCurrentProcessId(), true, true, true, gate});
    ASSERT_TRUE(e2e::PollUntil([&] { return hung->muteCalls() == 1; }));

    const DWORD before = GetTickCount();
    EXPECT_FALSE(hold.Stop(std::chrono::milliseconds(300)));
    const DWORD waited = GetTickCount() - before;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 5000u);  // the bound; the rest is slack
    EXPECT_EQ(audio.consoleSessions->registrations(), 1u);
  }  // the hold is gone; its thread is not
  SetEvent(gate);
  EXPECT_TRUE(e2e::PollUntil([&] { return audio.consoleSessions->registrations() == 0; }));
  EXPECT_TRUE(hung->muted());
  CloseHandle(gate);
}

// The audio service does not answer the hold's registration: the mute's
// start (on the UI thread) gives up after its bound, and a hold that comes up
// later mutes nothing and ends by itself.
TEST(SessionMuteHoldTest, StartingAHungHoldWaitsAtMostTheBound) {
  const HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(gate);
  fake::ManagerTraits traits;
  traits.registerGate = gate;
  FakeAudio audio(traits);
  {
    SessionMuteHold hold(OwnExeFileName(), audio.Source());
    const DWORD before = GetTickCount();
    EXPECT_FALSE(hold.Start(std::chrono::milliseconds(300)));
    const DWORD waited = GetTickCount() - before;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 5000u);  // the bound; the rest is slack
    EXPECT_TRUE(hold.Stop(std::chrono::milliseconds(0))) << "nothing holds";
  }
  SetEvent(gate);
  // The thread left behind registers, finds the hold given up and unregisters.
  EXPECT_TRUE(e2e::PollUntil([&] {
    return audio.consoleSessions->lastRegistered() && audio.consoleSessions->registrations() == 0;
  }));
  const ComPtr<fake::Session> later = audio.consoleSessions->OpenSession({GetCurrentProcessId()});
  Sleep(200);
  EXPECT_FALSE(later->muted());
  CloseHandle(gate);
}

}  // namespace
