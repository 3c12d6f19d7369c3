// What a page's command costs on its way through the engine's C API: the
// launcher answers "acc:list" on an empty store, sent through the page
// channel, the real renderer-side router (a V8 call across libcef's C
// structs), a process message, the real browser-side router and the bridge,
// and back. Timed in turn with the channel alone ("ping", no UI thread) and a
// bare task posted to the UI thread and back ("browsers"), so that the router
// and the translation layer show as the difference.

#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "support/page_channel.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using bench::Timing;
using bench::Work;

// Under an emulator the launcher takes many times longer to start than on
// Windows; these only bound a launcher that never comes up.
constexpr e2e::Millis kStartWait{180000};
constexpr e2e::Millis kReplyWait{60000};

void Report(const char* what, const Timing& timing) {
  std::printf("%-58s median %8.3f ms   fastest %8.3f ms\n", what, timing.medianMs,
              timing.minMs);
}

bool Ok(const char* step, bool ok, const std::string& error = {}) {
  if (!ok)
    std::fprintf(stderr, "bridge bench: %s failed %s\n", step, error.c_str());
  return ok;
}

}  // namespace

int wmain() {
  e2e::TempDir dir;
  if (!Ok("a fresh folder", dir.IsValid(), dir.error()) ||
      !Ok("copying the launcher", static_cast<bool>(dir.CopyProgramIn(LAUNCHER_EXE))))
    return 1;
  e2e::Process launcher;
  if (!Ok("starting the launcher",
          static_cast<bool>(launcher.Start(dir.PathOf(e2e::FileNameOf(LAUNCHER_EXE)), {},
                                           dir.path()))))
    return 1;
  e2e::PageChannel channel;
  if (!Ok("connecting to the page channel",
          static_cast<bool>(channel.Connect(launcher, kStartWait))))
    return 1;
  auto ready = channel.WaitReady(kStartWait);
  if (!Ok("waiting for the page", ready.ok() && *ready))
    return 1;

  // A few hundred rounds, whatever they cost.
  constexpr std::size_t kRounds = 300;
  bool failed = false;
  const auto timings = bench::MeasureInTurn(
      {Work([&] { failed |= !channel.Ping().ok(); }),
       Work([&] { failed |= !channel.Browsers().ok(); }),
       Work([&] {
         auto record = channel.Query("acc:list", {}, false, kReplyWait);
         failed |= !record.ok() || record->state != e2e::QueryState::kSuccess;
       })},
      kRounds);
  channel.CloseBrowser();
  launcher.WaitForExit(kStartWait);
  if (!Ok("a round trip", !failed))
    return 1;

  const Timing& ping = timings[0];
  const Timing& ui = timings[1];
  const Timing& query = timings[2];
  std::printf("page channel round trips, %zu rounds, each in turn\n", ping.runs);
  Report("ping (channel only)", ping);
  Report("browsers (a bare task on the UI thread and back)", ui);
  Report("query acc:list, empty store (router, C API, bridge)", query);
  bench::PrintRatio("bridge: acc:list round trip", query.medianMs, ui.medianMs,
                    "a bare UI-thread task over the same channel");
  return 0;
}
