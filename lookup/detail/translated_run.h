// A constant run of statement text whose only variable parts are display texts that pass
// through the host's translation. The run is built once, by the same code that lists its
// pieces in order; each call then appends it in one piece when there is no host object,
// or piece by piece with each text translated in order when there is one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/object.h"
#include "common/sql.h"

namespace lema::detail {

class TranslatedRun {
 public:
  // `build(sql, tr)` appends the run's pieces to `sql`, calling `tr(out, text)` where a
  // display text is to be translated. It must not depend on anything but its pieces.
  template <class Build>
  explicit TranslatedRun(Build&& build) {
    SqlText sql(4096);  // once a process; the longest run, a select list, is under 4 KB
    auto record = [this](std::string& out, std::string_view text) {
      marks_.push_back(Mark{out.size(), std::string(text)});
      out.append(text);
    };
    build(sql, record);
    text_ = sql.take();
  }

  const std::string& untranslated() const noexcept { return text_; }
  void append(std::string& out, const ObjectRef& host) const;

 private:
  struct Mark {
    size_t at;
    std::string text;
  };
  std::string text_;
  std::vector<Mark> marks_;
};

}  // namespace lema::detail
