// vantrel-demo: the window of vantrel, asking the demo courier service that
// runs inside this process instead of the real services. The demo numbers
// are listed in app/demo/DemoAnswers.h.
#include <cstdio>

#include "app/QueryWindow.h"
#include "app/TrackingQuery.h"
#include "app/demo/DemoService.h"
#include "app/demo/TrustPem.h"

int main(int argc, char** argv) {
  // Lives until the process ends: the window never returns.
  static DemoService demo;
  if (!demo.Start() || !TrustPemText(demo.CaPem())) {
    std::fputs("vantrel-demo: the demo service could not start\n", stderr);
    return 1;
  }
  static const ServiceHosts hosts{demo.DetectionHost(), demo.TraceHost()};
  return RunQueryWindow(argc, argv,
                        [](WindowControls& controls) { RunTrackingQuery(controls, hosts); });
}
