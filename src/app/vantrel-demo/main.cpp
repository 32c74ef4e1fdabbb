// vantrel-demo: the window of vantrel, asking the demo courier service that
// runs inside this process instead of the real services. The demo numbers
// are listed in app/demo/DemoAnswers.h.
//
// VANTREL_DEMO_NUMBER=VT100001 types that number and clicks the query button
// once the window is up; with VANTREL_SCREENSHOT the picture then shows the
// finished query.
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/QueryWindow.h"
#include "app/TrackingQuery.h"
#include "app/demo/DemoService.h"
#include "app/demo/TrustPem.h"
#include "platform/codepage/CodePage.h"
#include "platform/gui/MainWindow.h"

namespace {

std::string DemoNumberToType() {
  const char* number = std::getenv("VANTREL_DEMO_NUMBER");
  return number == nullptr ? std::string() : std::string(number);
}

}  // namespace

int main(int argc, char** argv) {
  // Lives until the process ends: the window never returns.
  static DemoService demo;
  if (!demo.Start() || !TrustPemText(demo.CaPem())) {
    std::fputs("vantrel-demo: the demo service could not start\n", stderr);
    return 1;
  }
  static const ServiceHosts hosts{demo.DetectionHost(), demo.TraceHost()};
  static const std::string typed = DemoNumberToType();
  if (typed.empty()) {
    return RunQueryWindow(argc, argv,
                          [](WindowControls& controls) { RunTrackingQuery(controls, hosts); });
  }

  // The picture waits for the typed number's query, whose worker releases it
  // once; a refused click leaves the picture to its time limit.
  HoldScreenshot();
  static std::atomic<bool> released{false};
  WindowEvents events = QueryWindowEvents([](WindowControls& controls) {
    RunTrackingQuery(controls, hosts);
    if (!released.exchange(true))
      ReleaseScreenshot();
  });
  events.created = [created = events.created](WindowHost& host) {
    created(host);
    host.SetText(ControlId::编辑框3, GbkFromUtf8(typed));
    // Created runs at the end of the window's construction: the click waits
    // for the message loop, when the window is being shown.
    auto* window = dynamic_cast<MainWindow*>(&host);
    if (window != nullptr)
      QTimer::singleShot(0, window, [window] { window->Click(); });
  };
  RunWindow(argc, argv, events);
}
