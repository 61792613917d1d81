#pragma once
// Small windows that the user has no reason to resize are fixed to their contents, so a
// window manager draws no resize strip under them (an empty strip that looks like a
// squashed status bar), and kept wide enough for their whole caption (a window manager
// cuts a caption at the window's width). The size follows later caption changes.

class QSplitter;
class QWidget;

namespace harkola {

void fixToContents(QWidget* window);

// The width a window needs for `caption` in a window manager's title bar: the bold
// caption and room for the icon and the three title buttons.
int captionWidth(QWidget* window);

// `narrow` (a list or grid) beside `wide` (a map), split by a handle the user can
// drag; `wide` takes the room a resize gives or takes, and neither can be dragged
// away altogether.
QSplitter* besideWide(QWidget* narrow, QWidget* wide, QWidget* parent);

}  // namespace harkola
