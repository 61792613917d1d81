#include "app/frmEnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "ui/ShellResources.h"
#include "ui/UserDialogs.h"
#include "ui/Named.h"

namespace harkola {

const char* const kAuthorCredit = "written by radio amateurs for radio amateurs. 73!";

frmEnd::frmEnd(const std::string& titleText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  initShellResources();
  setObjectName("frmEnd");
  setWindowTitle(qs(titleText));
  setModal(true);
  setStyleSheet("QDialog#frmEnd { background: rgb(255, 255, 230); border: 2px solid rgb(0, 0, 160); }");

  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(":/icons/harkola-48.png"));

  Label1 = new QLabel(QStringLiteral("Thanks for using ") + qs(titleText) + "\n" +
                          QString::fromUtf8(kAuthorCredit),
                      this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignCenter);
  QFont font = Label1->font();
  font.setPointSizeF(font.pointSizeF() * 1.3);
  Label1->setFont(font);
  Label1->setStyleSheet("color: rgb(0, 0, 128);");

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(24, 20, 28, 20);
  layout->setSpacing(16);
  layout->addWidget(icon);
  layout->addWidget(Label1, 1);

  Timer1 = named(new QTimer(this), "Timer1");
  Timer1->setSingleShot(true);
  Timer1->setInterval(kShowMs);
  connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
}

// The two seconds count from the moment the window appears: a timer started earlier
// could fire before exec() runs, and the modal loop would then wait for ever.
void frmEnd::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Timer1->start();
}

void showClosingWindow(const std::string& titleText, QWidget* parent) {
  QPointer<frmEnd> end = new frmEnd(titleText, parent);
  end->exec();
  delete end;
}

}  // namespace harkola

