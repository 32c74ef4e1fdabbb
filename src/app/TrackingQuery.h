// One tracking query, from the number in the window to the sorted trace in
// its log: the body of the worker that the query button starts.
//
// It asks the detection service (plain HTTP) for the courier code and the
// trace service (HTTPS) for the trace, and reaches the window only through
// the four control operations. Nothing is reported as an error: whatever
// failed leaves empty texts and the later steps run on them.
#pragma once

#include "platform/gui/WindowControls.h"
#include "text/TextTypes.h"

// Where the two services are: "host" or "host:port" each. Fixed when the
// program is built; a query never looks them up.
struct ServiceHosts {
  TextValue detectionHost;
  TextValue traceHost;
};

void RunTrackingQuery(WindowControls& window, const ServiceHosts& hosts);
