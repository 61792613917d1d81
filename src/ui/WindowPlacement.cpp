#include "ui/WindowPlacement.h"

#include <algorithm>

namespace harkola {
namespace {

// The start of a span of `length` moved least to lie in [lo, lo + room); a span longer
// than the room starts at lo.
int keptStart(int start, int length, int lo, int room) {
  if (length >= room || start < lo) return lo;
  if (start + length > lo + room) return lo + room - length;
  return start;
}

}  // namespace

ScreenRect keptInside(const ScreenRect& window, const ScreenRect& screen) {
  ScreenRect r = window;
  r.x = keptStart(window.x, window.width, screen.x, screen.width);
  r.y = keptStart(window.y, window.height, screen.y, screen.height);
  return r;
}

ScreenRect fittedInside(const ScreenRect& window, const ScreenRect& screen, int leastWidth, int leastHeight) {
  ScreenRect r = window;
  r.width = std::max(std::min(window.width, screen.width), std::min(window.width, leastWidth));
  r.height = std::max(std::min(window.height, screen.height), std::min(window.height, leastHeight));
  return keptInside(r, screen);
}

}  // namespace harkola
