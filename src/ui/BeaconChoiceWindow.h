#pragma once
// A window for choosing among the 18 beacons (follow one, announce some): filled from
// the shared data when it is shown, and again after each close, so it always shows the
// beacon data and choices of the moment.

#include <QWidget>

#include "common/PublicDecs.h"

namespace harkola {

class BeaconPicker;

class BeaconChoiceWindow : public QWidget {
 public:
  bool isLoaded() const { return m_loaded; }

 protected:
  // `shared` must outlive the window; `caption` follows the program's title.
  BeaconChoiceWindow(PublicDecs& shared, const char* caption, QWidget* parent);
  // Fills the window unless it is filled already: the caption, then fill().
  void load();
  // The next showing (or load()) fills the window afresh.
  void unload() { m_loaded = false; }
  // The window's own filling: the picker's texts and the choices.
  virtual void fill() = 0;
  void showEvent(QShowEvent* event) override;

  PublicDecs& d;
  BeaconPicker* m_picker = nullptr;

 private:
  const char* m_caption;
  bool m_loaded = false;
};

}  // namespace harkola
