#pragma once
// Where a window goes on the screen: wholly on the screen that holds the program's main
// window, moved as little as possible, and made smaller only when it would not fit. A window that grows (the setup wizard reveals a
// stage at a time) or that a window manager placed near an edge would otherwise reach
// past the screen's edge, out of the user's sight.

namespace harkola {

// A rectangle in screen pixels; x grows to the right, y downwards.
struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// `window` (its outer frame) moved the least distance that puts it inside `screen`. A
// window wider or taller than the screen is placed at the screen's left or top edge, so
// its title bar stays reachable. The size never changes.
ScreenRect keptInside(const ScreenRect& window, const ScreenRect& screen);

// `window` made no larger than `screen` (but no smaller than `least`, the smallest frame
// the window's contents allow), then kept inside it as keptInside() does. Only a window
// that cannot fit is shrunk; a window whose least size is still too large keeps its
// title bar on the screen.
ScreenRect fittedInside(const ScreenRect& window, const ScreenRect& screen, int leastWidth, int leastHeight);

}  // namespace harkola
