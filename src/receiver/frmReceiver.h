#pragma once
// The "Receiver" window: which receiver input the five-band detector listens to (the
// sound card as today, a SoapySDR device, an rtl_tcp server, a KiwiSDR, an I/Q file),
// which bands it serves, gain; Start/Stop; a live level per band, the last slot's
// result, and the overflow, timeout and reconnection counts. The settings are saved to
// Receiver.dat when the receiver starts.

#include <QWidget>
#include <array>
#include <filesystem>

#include "receiver/ReceiverSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace harkola {

class ReceiverRun;

class frmReceiver : public QWidget {
  Q_OBJECT
 public:
  frmReceiver(ReceiverRun& run, std::filesystem::path dataFolder, QWidget* parent = nullptr);

  // The form shows `s` / what the form says.
  void show(const ReceiverSettings& s);
  using QWidget::show;
  ReceiverSettings settings() const;

  void cmdStart_Click();
  void refresh();

  QComboBox* cboSource;
  QComboBox* cboDevice;
  QLineEdit *txtRate, *txtCentre, *txtGain;
  QCheckBox* chkDirect;
  QLineEdit *txtRtlHost, *txtRtlPort;
  QLineEdit *txtKiwiHost, *txtKiwiPort, *txtKiwiPassword;
  QLineEdit* txtIqFile;
  QComboBox* cboIqFormat;
  std::array<QCheckBox*, 5> chkBand{};
  std::array<QProgressBar*, 5> prgbLevel{};
  std::array<QLabel*, 5> lblBand{};
  QPushButton* cmdStart;
  QLabel* lblStatus;
  QLabel* lblHealth;

 private:
  ReceiverRun& m_run;
  std::filesystem::path m_dataFolder;
  QStackedWidget* m_pages;
  QTimer* m_timer;
};

}  // namespace harkola
