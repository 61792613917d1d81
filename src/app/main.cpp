// Harkola 5, the desktop program.
//
//   harkola [--data-folder DIR | --xdg] [--audio-file FILE.wav [--audio-start "YYYY-MM-DD HH:MM:SS"]]
//           [--auto-log test|start] [--measure-slots N] [--detector classic|sensitive] [--propagation]
//
// --measure-slots N runs the window on the system clock until N new slots have
// begun, prints how late after its true boundary each new-slot sequence ran
// (min / median / max in ms) and exits.
//
// The data files live in the folder that is current at start-up, or in DIR, or with
// --xdg (the desktop launcher) in $XDG_DATA_HOME/harkola (~/.local/share/harkola),
// created when missing. Logs go to $HARKOLA_LOG_FOLDER or ~/Harkola Log.
// --audio-file replays a 16-bit PCM WAV recording, repeated, in real time as the
// analyser's only sound input, in place of the sound card. With --audio-start (the UTC
// time of the recording's first sample) it plays once, on its own schedule: the
// program's clock shows the time each moment was recorded (from the start of the
// playback on), so its slots line up and are logged as they were on the air; the clock
// buttons then move that clock, not the computer's. --auto-log switches automatic
// logging on at start and presses Test or Start logging (demonstrations, measurements).
// --propagation opens the propagation window at start.
// --receiver starts the receiver input (all five bands) as Receiver.dat says ("saved")
// or with the source named, and opens its window.
// --detector sensitive logs with the sensitive detector instead of the classic one.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/PublicDecs.h"
#include "ui/ScreenKeeper.h"
#include "ui/ShellResources.h"
#include "app/frmSplash.h"
#include "app/frmPrimary.h"
#include "receiver/IqFile.h"
#include "receiver/ReceiverSettings.h"
#include "audio/ClassicDetector.h"
#include "audio/SensitiveDetector.h"
#include "audio/QtAudioCapture.h"
#include "audio/WavFileSource.h"
#include "audio/frmAnalyser.h"
#include "clock/RecordingClock.h"
#include "clock/SystemTimeSource.h"
#include "data/Beacons.h"
#include "rig/MeterLevelDetector.h"
#include "rig/RigChoice.h"
#include "rig/SerialRigPort.h"
#include "voice/ResfileSoundModule.h"

namespace {

std::filesystem::path xdgDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && std::filesystem::path(xdg).is_absolute())
    return std::filesystem::path(xdg) / "harkola";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "harkola";
}

const char* const kUsage =
    "Usage: harkola [--data-folder DIR | --xdg] [--audio-file FILE.wav [--audio-start \"YYYY-MM-DD HH:MM:SS\"]]\n"
    "               [--auto-log test|start] [--measure-slots N] [--detector classic|sensitive] [--propagation]\n"
    "               [--receiver saved|soapy:ARGS|rtl_tcp:HOST:PORT|kiwi:HOST[:PORT]|iq:FILE]\n";

// The sensitive detector keyed from the beacon table as it stands at each new slot (the
// table is loaded after start-up and may be edited).
class TableSensitiveDetector : public harkola::SensitiveDetector {
 public:
  explicit TableSensitiveDetector(const harkola::PublicDecs& d) : SensitiveDetector({}), d(d) {}
  void beginSlot(const harkola::SlotRef& slot) override {
    setCallsigns(harkola::Beacons(d.BeaconTable).callsigns());
    setSMeterOffset(d.SMeterOffset);
    SensitiveDetector::beginSlot(slot);
  }

 private:
  const harkola::PublicDecs& d;
};

int usage(const char* why) {
  std::fprintf(stderr, "harkola: %s\n%s", why, kUsage);
  return 2;
}

struct Options {
  std::filesystem::path dataFolder;
  int measureSlots = 0;
  std::filesystem::path audioFile;
  std::optional<harkola::SysTime> audioStart;  // UTC of the recording's first sample
  QString autoLog;  // "test", "start" or empty
  bool propagation = false;
  std::string receiverSpec;  // --receiver: the receiver input to start
  bool sensitive = false;
};

// The command line; empty when the program should end with that exit status.
std::optional<int> readOptions(const QStringList& args, Options& o) {
  for (int i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--xdg") {
      o.dataFolder = xdgDataFolder();
    } else if (args[i] == "--data-folder" && hasValue) {
      o.dataFolder = args[++i].toStdString();
    } else if (args[i] == "--measure-slots" && hasValue) {
      o.measureSlots = args[++i].toInt();
      if (o.measureSlots < 1) return usage("--measure-slots wants a number of slots");
    } else if (args[i] == "--audio-file" && hasValue) {
      o.audioFile = std::filesystem::absolute(args[++i].toStdString());
    } else if (args[i] == "--audio-start" && hasValue) {
      harkola::SysTime t;
      if (!harkola::parseUtcText(args[++i].toStdString(), t))
        return usage("--audio-start wants the UTC time of the recording's first sample as \"YYYY-MM-DD HH:MM:SS\"");
      o.audioStart = t;
    } else if (args[i] == "--auto-log" && hasValue && (args[i + 1] == "test" || args[i + 1] == "start")) {
      o.autoLog = args[++i];
    } else if (args[i] == "--propagation") {
      o.propagation = true;
    } else if (args[i] == "--receiver" && i + 1 < args.size()) {
      o.receiverSpec = args[++i].toStdString();
    } else if (args[i] == "--detector" && hasValue && (args[i + 1] == "classic" || args[i + 1] == "sensitive")) {
      o.sensitive = args[++i] == "sensitive";
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else {
      return usage(("unknown argument " + args[i].toStdString()).c_str());
    }
  }
  if (o.audioStart && o.audioFile.empty()) return usage("--audio-start needs --audio-file");
  return std::nullopt;
}

// The data folder named on the command line, made absolute and created when missing;
// false when it cannot be used.
bool prepareDataFolder(std::filesystem::path& folder) {
  if (folder.empty()) return true;
  std::error_code ec;
  folder = std::filesystem::absolute(folder, ec);
  if (!ec) std::filesystem::create_directories(folder, ec);
  return !ec && std::filesystem::is_directory(folder);
}

// --measure-slots: prints each new slot's lateness and, after `count`, the figures, then
// ends the program.
std::function<void(double)> latenessReport(int count, QApplication& app) {
  auto lateness = std::make_shared<std::vector<double>>();
  return [lateness, count, &app](double ms) {
    lateness->push_back(ms);
    std::printf("new slot %zu: %.2f ms after the boundary\n", lateness->size(), ms);
    std::fflush(stdout);
    if (static_cast<int>(lateness->size()) < count) return;
    std::vector<double> sorted = *lateness;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu new slots: min %.2f ms, median %.2f ms, max %.2f ms\n", sorted.size(), sorted.front(),
                sorted[sorted.size() / 2], sorted.back());
    std::fflush(stdout);
    QTimer::singleShot(0, &app, [&app] { app.exit(0); });
  };
}

// --auto-log: automatic logging on, then Test or Start logging pressed while the
// attended-operation warning is up.
void startAutoLog(harkola::frmPrimary* w, const QString& mode) {
  QTimer::singleShot(0, w, [w, mode] {
    QTimer::singleShot(300, w, [w, mode] {
      harkola::frmAnalyser* a = w->analyserWindow();
      if (!a || !a->isVisible()) return;
      if (mode == "test")
        a->cmdTestButton_Click();
      else
        a->StartButton_Click();
      a->raise();  // a demonstration is about the analyser
    });
    w->mnuLogAuto_Click();
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Harkola");
  QApplication::setApplicationVersion(HARKOLA_VERSION);
  harkola::ScreenKeeper::install();

  Options o;
  if (const auto rc = readOptions(QApplication::arguments(), o)) return *rc;
  std::unique_ptr<harkola::WavFileInputs> recording;
  if (!o.audioFile.empty()) {
    std::string error;
    recording = harkola::WavFileInputs::fromFile(o.audioFile, error, !o.audioStart);
    if (!recording) return usage(("cannot replay " + o.audioFile.string() + ": " + error).c_str());
  }
  std::optional<harkola::RecordingClock> recordingClock;
  if (o.audioStart) {
    recordingClock.emplace(*o.audioStart);
    recording->started = [&recordingClock, start = *o.audioStart](long long position) {
      recordingClock->anchor(start + std::chrono::microseconds(position * 1000000LL / harkola::kSampleRate));
    };
  }
  if (!prepareDataFolder(o.dataFolder)) return usage(("cannot use the data folder " + o.dataFolder.string()).c_str());

  harkola::initShellResources();
  QApplication::setWindowIcon(QIcon(":/icons/harkola-128.png"));

  // The program's parts, made here and handed to the main window.
  harkola::PublicDecs shared;
  harkola::SystemTimeSource clock;
  harkola::ResfileSoundModule voice;
  harkola::ClassicDetector detector(shared);
  TableSensitiveDetector sensitiveDetector(shared);
  harkola::SerialRig serialRig(shared, nullptr);
  // The data folder is fixed by the main window's load; the choice reads it at each start.
  harkola::RigChoice rigChoice(shared, serialRig.rig());
  // Automatic logging's S level from the rig's S-meter, when Rig setup asks for it.
  harkola::MeterLevelDetector meterDetector(detector, [&rigChoice] { return rigChoice.meterLevel(); });
  harkola::SoundCardInputs soundCards;
  harkola::PrimaryServices services;
  services.time = recordingClock ? static_cast<harkola::TimeSource*>(&*recordingClock) : &clock;
  services.voice = &voice;
  services.detector = &meterDetector;
  services.sensitiveDetector = &sensitiveDetector;
  services.startSensitive = o.sensitive;
  services.rig = &serialRig.rig();
  services.rigSetup = &serialRig.ctrl();
  services.rigChoice = &rigChoice;
  services.dataFolder = o.dataFolder.string();
  if (o.measureSlots > 0) services.newSlotLateness = latenessReport(o.measureSlots, app);
  services.capture = recording ? static_cast<harkola::CaptureProvider*>(recording.get()) : &soundCards;
  std::unique_ptr<harkola::frmPrimary> primary;

  auto* splash = new harkola::frmSplash([&] {
    primary = std::make_unique<harkola::frmPrimary>(shared, services);
    if (!primary->load()) {
      QTimer::singleShot(0, &app, [&] { app.exit(1); });
      return;
    }
    primary->show();
    primary->activateWindow();
    primary->activate();  // a desktop without a window manager never activates it
    if (o.propagation) primary->mnuPropagation_Click();
    if (!o.receiverSpec.empty()) {
      std::string error;
      harkola::ReceiverSettings rs;
      if (!harkola::receiverFromChoice(o.receiverSpec, harkola::loadReceiverSettings(shared.DataFolder), rs, error) ||
          !primary->startReceiver(rs, error))
        std::fprintf(stderr, "harkola: --receiver %s: %s\n", o.receiverSpec.c_str(), error.c_str());
      primary->mnuReceiver_Click();
    }
    if (!o.autoLog.isEmpty()) startAutoLog(primary.get(), o.autoLog);
  });
  splash->show();
  const int rc = app.exec();
  primary.reset();
  return rc;
}
