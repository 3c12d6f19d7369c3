#include "app/trace.h"

#include <atomic>

namespace {

std::atomic<TraceSink> g_sink{nullptr};

}  // namespace

void Trace(const std::string& line) {
  const TraceSink sink = g_sink.load(std::memory_order_acquire);
  if (sink)
    sink(line);
}

TraceSink SetTraceSink(TraceSink sink) {
  return g_sink.exchange(sink, std::memory_order_acq_rel);
}
