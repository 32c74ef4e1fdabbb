#include "platform/com/ComObject.h"

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"

bool ComObject::Create(const TextValue& progId) {
  std::shared_ptr<Dispatch> created = CreateComponent(GbkToWide(progId));
  if (!created)
    return false;
  object_ = std::move(created);
  return true;
}

bool ComObject::Put(const TextValue& name, const Variant& value) const {
  if (!object_)
    return false;
  Variant ignored;
  return object_->Invoke(GbkToWide(name), DispatchKind::Put, std::span<const Variant>(&value, 1),
                         ignored);
}

Variant ComObject::Call(const TextValue& name, std::initializer_list<Variant> args) const {
  Variant result;
  if (!object_)
    return result;
  if (!object_->Invoke(GbkToWide(name), DispatchKind::Call,
                       std::span<const Variant>(args.begin(), args.size()), result)) {
    return Variant();
  }
  return result;
}

void ComObject::CallNone(const TextValue& name, std::initializer_list<Variant> args) const {
  Call(name, args);
}

TextValue ComObject::CallText(const TextValue& name, std::initializer_list<Variant> args) const {
  return Call(name, args).ToText();
}

double ComObject::CallNumber(const TextValue& name, std::initializer_list<Variant> args) const {
  return Call(name, args).ToNumber();
}

bool ComObject::CallBool(const TextValue& name, std::initializer_list<Variant> args) const {
  return Call(name, args).ToBool();
}

ComObject ComObject::CallObject(const TextValue& name, std::initializer_list<Variant> args) const {
  return ComObject(Call(name, args).Object());
}
