#include "data/EditorFields.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <utility>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QTimer>

#include "data/StartupChecks.h"
#include "ui/HelpWindow.h"
#include "ui/UserDialogs.h"
#include "ui/WindowFrame.h"

namespace harkola {
namespace {

// Selects the whole text when the box gets the focus. Deferred, because a mouse click
// that gave the focus would otherwise place the cursor and clear the selection again.
class SelectAllOnEntry : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::FocusIn) {
      if (auto* edit = qobject_cast<QLineEdit*>(watched))
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    }
    return false;
  }
};

void selectAllOnEntry(QLineEdit* edit) { edit->installEventFilter(new SelectAllOnEntry(edit)); }

// Takes double quotes out of what was just typed; true when there were any.
bool refuseQuotes(QLineEdit* edit, const QString& text, QWidget* dialogParent) {
  if (!text.contains('"') && !text.contains('\n') && !text.contains('\r')) return false;
  bool hadQuote = false;
  const QString clean = qs(storableText(text.toStdString(), hadQuote));
  const int cursor = edit->cursorPosition() - static_cast<int>(text.size() - clean.size());
  edit->setText(clean);
  edit->setCursorPosition(std::max(0, cursor));
  if (hadQuote) showEditorMessage(dialogParent, kQuoteRefusedMessage);
  return true;
}

}  // namespace

void showEditorMessage(QWidget* parent, const std::string& text) {
  dialogs().message(parent, Notice{text, kAppTitle, NoticeIcon::None, NoticeButtons::Ok});
}

void watchTextField(QLineEdit* edit, int maxChars, QWidget* dialogParent) {
  selectAllOnEntry(edit);
  // textEdited: only what the user typed or pasted; filling the box from the data
  // must not raise messages.
  QObject::connect(edit, &QLineEdit::textEdited, edit, [=](const QString& typed) {
    refuseQuotes(edit, typed, dialogParent);
    if (auto msg = tooLongMessage(static_cast<std::size_t>(edit->text().size()), maxChars))
      showEditorMessage(dialogParent, *msg);
  });
}

void watchAngleField(QLineEdit* edit, AngleField kind, std::function<std::string()> stored,
                     QWidget* dialogParent) {
  selectAllOnEntry(edit);
  QObject::connect(edit, &QLineEdit::textEdited, edit, [=](const QString& typed) {
    if (acceptsAngle(typed.toStdString(), kind)) return;
    showEditorMessage(dialogParent, rangeMessage(kind));
    edit->setText(qs(stored()));
    edit->selectAll();
  });
}

DataEditorDialog::DataEditorDialog(PublicDecs& shared, std::function<void()> reloadAndRecompute,
                                   const char* name, const char* caption, QWidget* parent)
    : QDialog(parent), d(shared), m_reload(std::move(reloadAndRecompute)) {
  installHelpKey(this);
  setObjectName(name);
  setWindowTitle(qs(titleName(d.TitleText) + caption));
  setModal(true);
  fixToContents(this);
}

QLineEdit* DataEditorDialog::textBox(const char* name, int maxChars) {
  auto* edit = named(new QLineEdit, name);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(maxChars, 'M')) * 7 / 10);
  watchTextField(edit, maxChars, this);
  return edit;
}

QLineEdit* DataEditorDialog::angleBox(const char* name, AngleField kind, std::function<std::string()> stored) {
  auto* edit = named(new QLineEdit, name);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("0000000") + 12);
  watchAngleField(edit, kind, std::move(stored), this);
  return edit;
}

QGridLayout* DataEditorDialog::positionGrid(QWidget* box, const PositionControls& c) {
  for (auto [a, b] : {std::pair(c.north, c.south), std::pair(c.west, c.east)}) {
    auto* group = new QButtonGroup(this);
    group->addButton(a);
    group->addButton(b);
  }
  auto* pos = new QGridLayout(box);
  pos->addWidget(new QLabel("Degrees"), 0, 1);
  pos->addWidget(new QLabel("Minutes"), 0, 2);
  pos->addWidget(new QLabel("Latitude"), 1, 0);
  pos->addWidget(c.latDeg, 1, 1);
  pos->addWidget(c.latMin, 1, 2);
  pos->addWidget(c.north, 1, 3);
  pos->addWidget(c.south, 1, 4);
  pos->addWidget(new QLabel("Longitude"), 2, 0);
  pos->addWidget(c.lonDeg, 2, 1);
  pos->addWidget(c.lonMin, 2, 2);
  pos->addWidget(c.west, 2, 3);
  pos->addWidget(c.east, 2, 4);
  pos->setColumnStretch(5, 1);
  return pos;
}

void DataEditorDialog::reload() {
  if (m_reload) {
    m_reload();
    return;
  }
  for (const Notice& n : loadHomeAndBeacons(d)) dialogs().message(this, n);
}

QPushButton* DataEditorDialog::editorButton(const QString& text, const char* name, const QString& toolTip) {
  auto* b = new QPushButton(text);
  b->setObjectName(name);
  b->setToolTip(toolTip);
  // Enter in an entry box must not press a button (it would save or close).
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

}  // namespace harkola
