#include "ui/ShellResources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerShellResources() {
  Q_INIT_RESOURCE(icons);
  Q_INIT_RESOURCE(help);
}

namespace harkola {

void initShellResources() {
  static const bool done = (registerShellResources(), true);
  (void)done;
}

}  // namespace harkola
