// ComObject: empty, or one reference to an automation object.
//
// Members are reached by name with variant arguments; each call says which
// kind of result it wants. A failed call (no object, no such member, an
// error inside the component) gives the empty value of that kind and the
// caller goes on. Names and text results cross as GBK.
#pragma once

#include <initializer_list>
#include <memory>

#include "platform/com/Dispatch.h"
#include "text/TextTypes.h"

class ComObject {
 public:
  ComObject() = default;
  explicit ComObject(std::shared_ptr<Dispatch> object) : object_(std::move(object)) {}

  // On success replaces (releases) the object held before.
  bool Create(const TextValue& progId);
  void Clear() { object_.reset(); }
  bool IsEmpty() const { return object_ == nullptr; }
  const std::shared_ptr<Dispatch>& Get() const { return object_; }

  // Property write; false when refused.
  bool Put(const TextValue& name, const Variant& value) const;
  // Method call or property read.
  Variant Call(const TextValue& name, std::initializer_list<Variant> args = {}) const;
  void CallNone(const TextValue& name, std::initializer_list<Variant> args = {}) const;
  TextValue CallText(const TextValue& name, std::initializer_list<Variant> args = {}) const;
  double CallNumber(const TextValue& name, std::initializer_list<Variant> args = {}) const;
  bool CallBool(const TextValue& name, std::initializer_list<Variant> args = {}) const;
  ComObject CallObject(const TextValue& name, std::initializer_list<Variant> args = {}) const;

 private:
  std::shared_ptr<Dispatch> object_;
};
