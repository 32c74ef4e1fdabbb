// vantrel: the tracking window.
#include "app/QueryWindow.h"

namespace {

// The query each accepted click runs on its own worker thread.
void TrackingQuery(WindowControls& controls) {
  (void)controls;
}

}  // namespace

int main(int argc, char** argv) {
  return RunQueryWindow(argc, argv, TrackingQuery);
}
