// Placeholder until the component lands: creation fails.
#include "platform/components/Components.h"

std::shared_ptr<Dispatch> CreateScriptControl() { return nullptr; }
