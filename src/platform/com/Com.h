// Per-thread COM entry and exit, and the registry of components by ProgID.
//
// CoInitialize/CoUninitialize keep a nesting count per thread. A component
// can only be created on a thread whose count is above zero, as on the
// platform, so a missing entry shows up as a failed creation.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/com/Dispatch.h"

inline constexpr long S_OK = 0;
inline constexpr long S_FALSE = 1;

// S_OK for the first entry of the thread, S_FALSE for a nested one.
long CoInitialize(void* pvReserved);
// Leaves one level; below zero it does nothing.
void CoUninitialize();
// The calling thread's nesting count.
int ComNestingCount();

using ComponentFactory = std::function<std::shared_ptr<Dispatch>()>;
// Registers (or replaces) a component; ProgIDs compare without case.
void RegisterComponent(std::u16string_view progId, ComponentFactory factory);
// Null when the ProgID is unknown, the factory fails, or the thread has not
// entered COM.
std::shared_ptr<Dispatch> CreateComponent(std::u16string_view progId);
