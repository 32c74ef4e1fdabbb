// The interface an automation component offers: members reached by name at
// call time. Names compare without letter case, as automation names do.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/Variant.h"

enum class DispatchKind {
  Call,  // a method, or a property read (arguments index it)
  Put,   // a property write: the one argument is the value
};

class Dispatch {
 public:
  virtual ~Dispatch() = default;
  // False when the object has no such member or the call failed inside the
  // component; `result` is then left empty. The empty name is the object's
  // default member, where it has one.
  virtual bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
                      Variant& result) = 0;
};

// Case-insensitive comparison of an ASCII member name.
bool SameName(std::u16string_view a, std::u16string_view b);
