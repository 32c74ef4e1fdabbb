// vantrel-track: the tracking query without a window (see TrackCommand.h).
#include <QCoreApplication>
#include <iostream>

#include "app/vantrel-track/TrackCommand.h"

int main(int argc, char** argv) {
  // The script engine needs an application object.
  QCoreApplication application(argc, argv);
  return RunTrackCommand(argc, argv, std::cout, std::cerr);
}
