#include "ui/BeaconChoiceWindow.h"

#include "ui/UserDialogs.h"

namespace harkola {

BeaconChoiceWindow::BeaconChoiceWindow(PublicDecs& shared, const char* caption, QWidget* parent)
    : QWidget(parent, Qt::Window), d(shared), m_caption(caption) {}

void BeaconChoiceWindow::load() {
  if (m_loaded) return;
  m_loaded = true;
  setWindowTitle(qs(d.TitleText + m_caption));
  fill();
}

void BeaconChoiceWindow::showEvent(QShowEvent* event) {
  load();
  QWidget::showEvent(event);
}

}  // namespace harkola
