// The host framework's interface object, as the library uses it:
//   HostEnvironment -> HostContext -> LanguageCode, CompanyCode
//   HostEnvironment -> HostTranslator -> Translate(text)
//   IsHostOptionSet
// A C++ host derives from HostFramework; any other object that answers those member
// names (a host registered through the C interface, for example) works by name.
#pragma once

#include <string>
#include <string_view>

#include "common/object.h"
#include "common/value.h"

namespace lema::host {

class HostFramework : public Object {
 public:
  virtual Value LanguageCode() = 0;
  virtual Value CompanyCode() = 0;
  // Appends the text in the user's language to `out`.
  virtual void Translate(std::string_view text, std::string& out) = 0;
  virtual bool IsHostOptionSet() = 0;

  // By-name members: HostEnvironment (G) and IsHostOptionSet.
  const ClassInfo& class_info() const override;
};

// Access from the library side, on whatever object the host put in ActiveInterface.
// Each raises an Error when the host call fails.
Value language_code(Object& host);
Value company_code(Object& host);
void translate(Object& host, std::string_view text, std::string& out);
bool is_host_option_set(Object& host);

// The rules the lookups and decodes share: each falls back on its default when
// `host` holds no object or the host call fails.
std::string language_or_default(const ObjectRef& host, std::string_view def);
Value company_or_empty(const ObjectRef& host);
void translate_or_keep(const ObjectRef& host, std::string_view text, std::string& out);

// translate_or_keep for many texts in a row: the kind of host is found once.
class TextTranslator {
 public:
  explicit TextTranslator(const ObjectRef& host) noexcept;
  void operator()(std::string& out, std::string_view text) const;

 private:
  const ObjectRef& host_;
  HostFramework* typed_;
};

}  // namespace lema::host
