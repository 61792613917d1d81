#include "data/EditorFields.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <utility>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QTimer>

#include "data/DefaultData.h"
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

PositionBox::PositionBox(const Names& names, std::function<std::string(int box)> stored, QWidget* editor)
    : QGroupBox("Position") {
  auto box = [&](const char* name, AngleField kind, int i) {
    auto* edit = named(new QLineEdit, name);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("0000000") + 12);
    watchAngleField(edit, kind, [stored, i] { return stored(i); }, editor);
    return edit;
  };
  latDeg = box(names.latDeg, AngleField::LatitudeDegrees, 0);
  latMin = box(names.latMin, AngleField::Minutes, 1);
  lonDeg = box(names.lonDeg, AngleField::LongitudeDegrees, 2);
  lonMin = box(names.lonMin, AngleField::Minutes, 3);
  auto option = [](const char* name, const char* caption) { return named(new QRadioButton(caption), name); };
  north = option(names.north, "North");
  south = option(names.south, "South");
  west = option(names.west, "West");
  east = option(names.east, "East");
  for (auto [a, b] : {std::pair(north, south), std::pair(west, east)}) {
    auto* group = new QButtonGroup(this);
    group->addButton(a);
    group->addButton(b);
  }
  m_grid = new QGridLayout(this);
  m_grid->addWidget(new QLabel("Degrees"), 0, 1);
  m_grid->addWidget(new QLabel("Minutes"), 0, 2);
  const struct {
    const char* caption;
    QWidget *degrees, *minutes, *a, *b;
  } rows[] = {{"Latitude", latDeg, latMin, north, south}, {"Longitude", lonDeg, lonMin, west, east}};
  for (int r = 0; r < 2; ++r) {
    m_grid->addWidget(new QLabel(rows[r].caption), r + 1, 0);
    int column = 1;
    for (QWidget* w : {rows[r].degrees, rows[r].minutes, rows[r].a, rows[r].b}) m_grid->addWidget(w, r + 1, column++);
  }
  m_grid->setColumnStretch(5, 1);
}

void PositionBox::showTexts(const std::string& latDegrees, const std::string& latMinutes, bool isSouth,
                            const std::string& lonDegrees, const std::string& lonMinutes, bool isWest) {
  latDeg->setText(qs(latDegrees));
  latMin->setText(qs(latMinutes));
  lonDeg->setText(qs(lonDegrees));
  lonMin->setText(qs(lonMinutes));
  (isSouth ? south : north)->setChecked(true);
  (isWest ? west : east)->setChecked(true);
}

void PositionBox::onChange(QObject* context, const std::function<void()>& f) {
  for (QLineEdit* e : {latDeg, latMin, lonDeg, lonMin}) connect(e, &QLineEdit::textChanged, context, f);
  for (QRadioButton* b : {north, south, west, east}) connect(b, &QRadioButton::toggled, context, f);
}

QLabel* DataEditorDialog::addFoot(QBoxLayout* root, const char* statusName, const char* hint, QPushButton* save,
                                  QPushButton* restore, const char* exitTip) {
  auto* status = named(new QLabel, statusName);
  status->setWordWrap(true);
  root->addWidget(status);
  lblHint = named(new QLabel(hint), "lblHint");
  root->addWidget(lblHint);
  cmdExit = editorButton("Exit", "cmdExit", exitTip);
  connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(restore);
  buttons->addStretch(1);
  buttons->addWidget(cmdExit);
  root->addLayout(buttons);
  return status;
}

bool DataEditorDialog::repairDamaged(bool valid, const std::function<void()>& restore) {
  if (valid || m_repairing) return false;
  showEditorMessage(this, kCorruptDataMessage);
  m_repairing = true;
  restore();
  m_repairing = false;
  return true;
}

bool DataEditorDialog::finishSave(bool written, const std::filesystem::path& file, const std::function<void()>& keep,
                                  const char* savedMessage) {
  if (!written) {
    dialogs().message(this, Notice{saveFailedMessage(file), kAppTitle, NoticeIcon::Critical, NoticeButtons::Ok});
    return false;
  }
  keep();
  reload();
  showEditorMessage(this, savedMessage);
  return true;
}

void DataEditorDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (m_shown) return;
  m_shown = true;
  firstShown();
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
