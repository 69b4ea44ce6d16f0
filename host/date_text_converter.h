// DateTextConverter: checks a date text and gives the form the statements put between
// quotes (YYYYMMDD, which SQL Server reads the same whatever its language settings).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/object.h"
#include "common/value.h"

namespace lema::host {

// Accepts "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM[:SS]" / "YYYY-MM-DD HH:MM[:SS]", "DD/MM/YYYY"
// (optionally followed by a time) and "YYYYMMDD".
std::optional<Date> parse_date_text(std::string_view text);

// The date-text rule of the statements: the Value's text goes through a new
// DateTextConverter (created by class name, so a host may supply its own); the result is
// its SqlDateText when ErrorNumber is 0, otherwise Null. Null also when the converter
// cannot be created or fails.
Value sql_date_text(const Value& v);

class DateTextConverter final : public Object {
 public:
  static constexpr std::string_view kProgId = "DateTextConverter";

  void SetText(const std::string& text);
  int32_t ErrorNumber() const noexcept { return error_; }
  std::string SqlDateText() const;

  const ClassInfo& class_info() const override;

 private:
  std::optional<Date> date_;
  int32_t error_ = 0;
};

}  // namespace lema::host
