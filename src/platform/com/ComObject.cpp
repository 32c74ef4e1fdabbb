#include "platform/com/ComObject.h"

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"

namespace {

// Member names are nearly always short ASCII: widen those without a
// converter and without allocating.
class MemberName {
 public:
  explicit MemberName(const TextValue& name) {
    bool ascii = name.size() <= sizeof buffer_ / sizeof buffer_[0];
    for (std::size_t i = 0; ascii && i < name.size(); ++i) {
      auto byte = static_cast<unsigned char>(name[i]);
      ascii = byte < 0x80;
      buffer_[i] = byte;
    }
    if (ascii) {
      view_ = std::u16string_view(buffer_, name.size());
    } else {
      wide_ = GbkToWide(name);
      view_ = wide_;
    }
  }
  MemberName(const MemberName&) = delete;
  operator std::u16string_view() const { return view_; }

 private:
  char16_t buffer_[32];
  std::u16string wide_;
  std::u16string_view view_;
};

}  // namespace

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
  return object_->Invoke(MemberName(name), DispatchKind::Put, std::span<const Variant>(&value, 1),
                         ignored);
}

Variant ComObject::Call(const TextValue& name, std::initializer_list<Variant> args) const {
  Variant result;
  if (!object_)
    return result;
  if (!object_->Invoke(MemberName(name), DispatchKind::Call,
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
