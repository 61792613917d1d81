// The desktop program. The main window grows around the core in later steps; for now
// it opens a window that shows the beacon now on 14 MHz.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Harkola");
  QLabel label("Harkola 5");
  label.setMinimumSize(400, 200);
  label.setAlignment(Qt::AlignCenter);
  label.show();
  return app.exec();
}
