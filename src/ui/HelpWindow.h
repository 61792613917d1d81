#pragma once
// The help viewer: the help document compiled into the program, shown in a browser
// window with contents, back and forward. One window is shared by every caller.

#include <QDialog>

class QTextBrowser;

namespace harkola {

// The help document's name: the application title followed by "5.hlp".
QString helpFileName();
// Its resource URL ("qrc:/help/Harkola5.hlp"); the text inside is HTML.
QUrl helpFileUrl();

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the contents page at the top of the document.
  void showContents();

  // Above it the buttons cmdContents, cmdBack, cmdForward and cmdClose.
  QTextBrowser* txtHelp = nullptr;
};

// Opens the help window (creating it on first use, modeless, owned by `parent` when
// given) at its contents page and brings it to the front. Returns the window.
HelpWindow* showHelpContents(QWidget* parent);

// F1 anywhere in `window` opens the help at its contents page.
void installHelpKey(QWidget* window);

}  // namespace harkola
