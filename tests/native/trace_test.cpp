#include "app/trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_seen;

void Record(const std::string& line) {
  g_seen.push_back(line);
}

TEST(TraceTest, LinesReachAnInstalledSinkOnlyWhileItIsInstalled) {
  g_seen.clear();
  Trace("before any sink");
  const TraceSink previous = SetTraceSink(&Record);
  EXPECT_EQ(previous, nullptr);
  Trace("v3 startup app=x86");
  Trace("");
  EXPECT_EQ(SetTraceSink(previous), &Record);
  Trace("after removal");
  EXPECT_EQ(g_seen, (std::vector<std::string>{"v3 startup app=x86", ""}));
}

}  // namespace
