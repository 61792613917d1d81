#include "ui/HelpWindow.h"

#include <QShortcut>

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "common/PublicDecs.h"
#include "ui/ShellResources.h"
#include "ui/BoxRows.h"
#include "ui/Named.h"

namespace harkola {

QString helpFileName() { return QString::fromLatin1(kAppTitle) + "5.hlp"; }

QUrl helpFileUrl() { return QUrl("qrc:/help/" + helpFileName()); }

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent, Qt::Window) {
  initShellResources();
  setObjectName("HelpWindow");
  setWindowTitle(QString::fromLatin1(kAppTitle) + " Help");
  setWindowIcon(QIcon(":/icons/harkola-128.png"));

  txtHelp = named(new QTextBrowser(this), "txtHelp");
  txtHelp->setOpenExternalLinks(true);
  txtHelp->document()->setDocumentMargin(14);

  auto* cmdContents = clickButton(this, "&Contents", "cmdContents", this, &HelpWindow::showContents);
  auto* cmdBack = clickButton(this, "< &Back", "cmdBack", txtHelp, &QTextBrowser::backward);
  auto* cmdForward = clickButton(this, "&Forward >", "cmdForward", txtHelp, &QTextBrowser::forward);
  auto* cmdClose = clickButton(this, "Close", "cmdClose", this, &QDialog::close);
  // Back and Forward are there only when the browser has somewhere to go.
  cmdBack->setEnabled(false);
  cmdForward->setEnabled(false);
  connect(txtHelp, &QTextBrowser::backwardAvailable, cmdBack, &QPushButton::setEnabled);
  connect(txtHelp, &QTextBrowser::forwardAvailable, cmdForward, &QPushButton::setEnabled);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row({cmdContents, cmdBack, cmdForward, stretch(), cmdClose}));
  layout->addWidget(txtHelp, 1);
  resize(820, 720);

  // The document is HTML whatever its extension says.
  txtHelp->setSource(helpFileUrl(), QTextDocument::HtmlResource);
}

void HelpWindow::showContents() {
  QUrl contents = helpFileUrl();
  contents.setFragment("contents");
  txtHelp->setSource(contents, QTextDocument::HtmlResource);
  txtHelp->scrollToAnchor("contents");
}

HelpWindow* showHelpContents(QWidget* parent) {
  static QPointer<HelpWindow> window;
  if (!window || window->parentWidget() != parent) {
    if (window) window->deleteLater();
    window = new HelpWindow(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->showContents();
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

void installHelpKey(QWidget* window) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
  f1->setContext(Qt::WindowShortcut);
  QObject::connect(f1, &QShortcut::activated, window, [window] { showHelpContents(window); });
}

}  // namespace harkola
