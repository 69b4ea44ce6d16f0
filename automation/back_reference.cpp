#include "automation/back_reference.h"

#include "automation/class_info.h"
#include "common/error.h"
#include "common/value.h"

namespace lema {
namespace {

class BackReference final : public Object {
 public:
  explicit BackReference(const Object& target)
      : target_(&target), info_(&target.class_info()), raw_(&target) {}

  const ClassInfo& class_info() const override { return *info_; }
  const Object* identity() const noexcept override {
    return target_.lock() ? raw_->identity() : this;
  }
  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    ObjectRef t = target_.lock();
    if (!t) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set: the object has ended");
    return t->invoke(member, kind, args);
  }

 private:
  WeakRef<Object> target_;
  const ClassInfo* info_;
  const Object* raw_;
};

}  // namespace

ObjectRef make_back_reference(const Object& target) {
  return make_object<BackReference>(target);
}

}  // namespace lema
