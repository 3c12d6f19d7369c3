#include "browser/window_geometry.h"

#include <climits>

#include <gtest/gtest.h>

TEST(CenteredOffsetTest, CentresOnTheWholeScreenOrPinsToZero) {
  struct Case {
    int screen, size, offset;
  } cases[] = {
      {1920, 1280, 320}, {1080, 800, 140},  // 1920 x 1080
      {1366, 1280, 43},  {768, 800, 0},     // 1366 x 768: too low, pinned to the top
      {1280, 1280, 0},   {1024, 800, 112},  // 1280 x 1024
      {1281, 1280, 0},                      // one spare pixel: remainder dropped
      {0, 1280, 0},      {-5, 1280, 0},     // nonsense metrics
      {INT_MAX, -INT_MAX, INT_MAX},         // no overflow on the difference
  };
  for (const Case& c : cases)
    EXPECT_EQ(CenteredOffset(c.screen, c.size), c.offset) << c.screen << " / " << c.size;
}
