// Harkola 5, the desktop program.
//
//   harkola [--data-folder DIR | --xdg]
//
// The data files live in the folder that is current at start-up, or in DIR, or with
// --xdg (the desktop launcher) in $XDG_DATA_HOME/harkola (~/.local/share/harkola),
// created when missing. Logs go to $HARKOLA_LOG_FOLDER or ~/Harkola Log.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

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
  std::fprintf(stderr, "harkola: %s\nUsage: harkola [--data-folder DIR | --xdg]\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Harkola");
  QApplication::setApplicationVersion(HARKOLA_VERSION);

  std::filesystem::path dataFolder;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--xdg") {
      dataFolder = xdgDataFolder();
    } else if (args[i] == "--data-folder" && i + 1 < args.size()) {
      dataFolder = args[++i].toStdString();
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::printf("Usage: harkola [--data-folder DIR | --xdg]\n");
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
