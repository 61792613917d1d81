#pragma once
// The closing window: shown modally while the program shuts down, it thanks the user
// and closes itself after two seconds, which lets the shutdown go on.

#include <QDialog>
#include <string>

class QLabel;
class QTimer;

namespace harkola {

extern const char* const kAuthorCredit;

class frmEnd : public QDialog {
  Q_OBJECT

 public:
  // `titleText` is the shared TitleText ("Harkola 5 "); read only.
  explicit frmEnd(const std::string& titleText, QWidget* parent = nullptr);

  static constexpr int kShowMs = 2000;

  QLabel* Label1 = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

// Shows the closing window modally and returns when it has closed itself.
void showClosingWindow(const std::string& titleText, QWidget* parent = nullptr);

}  // namespace harkola
