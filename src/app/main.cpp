// Harkola 5, the desktop program.
//
//   harkola [--data-folder DIR | --xdg] [--measure-slots N]
//
// --measure-slots N runs the window on the system clock until N new slots have
// begun, prints how late after its true boundary each new-slot sequence ran
// (min / median / max in ms) and exits.
//
// The data files live in the folder that is current at start-up, or in DIR, or with
// --xdg (the desktop launcher) in $XDG_DATA_HOME/harkola (~/.local/share/harkola),
// created when missing. Logs go to $HARKOLA_LOG_FOLDER or ~/Harkola Log.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/PublicDecs.h"
#include "app/ShellResources.h"
#include "app/frmSplash.h"
#include "clock/SystemTimeSource.h"
#include "clock/frmPrimary.h"

namespace {

std::filesystem::path xdgDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && std::filesystem::path(xdg).is_absolute())
    return std::filesystem::path(xdg) / "harkola";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "harkola";
}

int usage(const char* why) {
  std::fprintf(stderr, "harkola: %s\nUsage: harkola [--data-folder DIR | --xdg] [--measure-slots N]\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Harkola");
  QApplication::setApplicationVersion(HARKOLA_VERSION);

  std::filesystem::path dataFolder;
  int measureSlots = 0;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--xdg") {
      dataFolder = xdgDataFolder();
    } else if (args[i] == "--data-folder" && i + 1 < args.size()) {
      dataFolder = args[++i].toStdString();
    } else if (args[i] == "--measure-slots" && i + 1 < args.size()) {
      measureSlots = args[++i].toInt();
      if (measureSlots < 1) return usage("--measure-slots wants a number of slots");
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::printf("Usage: harkola [--data-folder DIR | --xdg] [--measure-slots N]\n");
      return 0;
    } else {
      return usage(("unknown argument " + args[i].toStdString()).c_str());
    }
  }
  if (!dataFolder.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(dataFolder, ec);
    std::filesystem::current_path(dataFolder, ec);
    if (ec) return usage(("cannot use the data folder " + dataFolder.string()).c_str());
  }

  harkola::initShellResources();
  QApplication::setWindowIcon(QIcon(":/icons/harkola-128.png"));

  harkola::PublicDecs shared;
  harkola::SystemTimeSource clock;
  harkola::PrimaryServices services;
  services.time = &clock;
  std::vector<double> lateness;
  if (measureSlots > 0) {
    services.newSlotLateness = [&](double ms) {
      lateness.push_back(ms);
      std::printf("new slot %zu: %.2f ms after the boundary\n", lateness.size(), ms);
      std::fflush(stdout);
      if (static_cast<int>(lateness.size()) < measureSlots) return;
      std::vector<double> sorted = lateness;
      std::sort(sorted.begin(), sorted.end());
      std::printf("%zu new slots: min %.2f ms, median %.2f ms, max %.2f ms\n", sorted.size(),
                  sorted.front(), sorted[sorted.size() / 2], sorted.back());
      std::fflush(stdout);
      QTimer::singleShot(0, &app, [&] { app.exit(0); });
    };
  }
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
  });
  splash->show();
  const int rc = app.exec();
  primary.reset();
  return rc;
}
