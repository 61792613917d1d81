#pragma once
// Where a window goes on the screen: wholly on the screen that holds the program's main
// window, moved as little as possible. A window that grows (the setup wizard reveals a
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

}  // namespace harkola
