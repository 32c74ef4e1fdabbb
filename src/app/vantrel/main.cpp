// vantrel: the tracking window.
#include "app/QueryWindow.h"
#include "app/TrackingQuery.h"

namespace {

// The query each accepted click runs on its own worker thread.
void TrackingQuery(WindowControls& controls) {
  RunTrackingQuery(controls, {VANTREL_DETECTION_HOST, VANTREL_TRACE_HOST});
}

}  // namespace

int main(int argc, char** argv) {
  return RunQueryWindow(argc, argv, TrackingQuery);
}
