#include "platform/gui/ProcessEvents.h"

#include <QCoreApplication>

void ProcessEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}
