// What a page's command costs on its way through the engine's C API: the
// launcher answers "acc:list" on an empty store, sent through the page
// channel, the real renderer-side router (a V8 call across libcef's C
// structs), a process message, the real browser-side router and the bridge,
// and back. Measured in the same run against the channel alone ("ping", no UI
// thread) and a bare task posted to the UI thread and back ("browsers"), so
// that the router and the translation layer show as the difference.

#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "support/page_channel.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using bench::Measure;
using bench::Timing;

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
  if (!Ok("connecting to the page channel", static_cast<bool>(channel.Connect(launcher))))
    return 1;
  auto ready = channel.WaitReady();
  if (!Ok("waiting for the page", ready.ok() && *ready))
    return 1;

  // A few hundred of each, whatever they cost.
  constexpr std::size_t kRuns = 300;
  bool failed = false;
  const Timing ping = Measure([&] { failed |= !channel.Ping().ok(); }, kRuns);
  const Timing ui = Measure([&] { failed |= !channel.Browsers().ok(); }, kRuns);
  const Timing query = Measure([&] {
    auto record = channel.Query("acc:list");
    failed |= !record.ok() || record->state != e2e::QueryState::kSuccess;
  }, kRuns);
  if (!Ok("a round trip", !failed))
    return 1;

  std::printf("page channel round trips, %zu to %zu runs each\n", kRuns, bench::kMaxRuns);
  Report("ping (channel only)", ping);
  Report("browsers (a bare task on the UI thread and back)", ui);
  Report("query acc:list, empty store (router, C API, bridge)", query);
  std::printf("acc:list / bare UI task: %.2fx (medians)\n", query.medianMs / ui.medianMs);

  channel.CloseBrowser();
  launcher.WaitForExit();
  return 0;
}
