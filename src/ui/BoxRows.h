#pragma once
// Box layouts written as one list, in the order they appear on the screen:
// `row({lblA, lblB, stretch(), cmdC, gap(12), cmdD})`.

#include <QBoxLayout>
#include <initializer_list>

namespace harkola {

// A widget, a nested layout, a stretch or a fixed gap.
struct BoxItem {
  BoxItem(QWidget* w) : widget(w) {}
  BoxItem(QLayout* l) : layout(l) {}
  static BoxItem space(int stretchFactor, int pixels) {
    BoxItem i(static_cast<QWidget*>(nullptr));
    i.stretch = stretchFactor;
    i.gap = pixels;
    return i;
  }

  QWidget* widget = nullptr;
  QLayout* layout = nullptr;
  int stretch = 0;
  int gap = 0;
};

inline BoxItem stretch(int factor = 1) { return BoxItem::space(factor, 0); }
inline BoxItem gap(int pixels) { return BoxItem::space(0, pixels); }

// Adds the items to `box` and returns it.
template <class Box>
Box* fillBox(Box* box, std::initializer_list<BoxItem> items) {
  for (const BoxItem& i : items) {
    if (i.widget) box->addWidget(i.widget);
    else if (i.layout) box->addLayout(i.layout);
    else if (i.gap) box->addSpacing(i.gap);
    else box->addStretch(i.stretch);
  }
  return box;
}
inline QHBoxLayout* row(std::initializer_list<BoxItem> items) { return fillBox(new QHBoxLayout, items); }
inline QVBoxLayout* column(std::initializer_list<BoxItem> items) { return fillBox(new QVBoxLayout, items); }

}  // namespace harkola
