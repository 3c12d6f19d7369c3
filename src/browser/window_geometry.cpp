#include "browser/window_geometry.h"

int CenteredOffset(int screen, int size) {
  // Halve the difference in 64 bits: screen - size can overflow int for
  // extreme metrics, and the rounding towards zero must stay as for positive values.
  return screen > size ? static_cast<int>((static_cast<long long>(screen) - size) / 2) : 0;
}
