// Shared aids of the lookup tests: expected translations, recording hosts, table checks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/value.h"
#include "host/clock.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema::f24_testing {

// The words as a host gives them back: unchanged, or numbered in call order ("Si#3").
struct Words {
  bool numbered = false;
  int calls = 0;
  std::string operator()(std::string_view word) {
    if (!numbered) return std::string(word);
    return std::string(word) + "#" + std::to_string(++calls);
  }
};

inline Ref<host::RecordingHost> make_host(host::RecordingHostConfig config = {},
                                          std::shared_ptr<host::TextLog> log = nullptr) {
  return make_object<host::RecordingHost>(std::move(config), std::move(log));
}

inline Ref<host::RecordingHost> numbered_host(std::shared_ptr<host::TextLog> log = nullptr) {
  host::RecordingHostConfig c;
  c.translation = host::RecordingHostConfig::Translation::Numbered;
  return make_host(std::move(c), std::move(log));
}

inline std::string sql_of(const CLSCG_LOOKUP& lk) {
  return std::string(lk.StringaSQL().as_string());
}

// Row 0 of the column table, checking the (0 To N-1, 0 To 1) shape and "" in row 1.
inline std::vector<std::string> headings(const Value& table) {
  std::vector<std::string> out;
  const Array& a = table.as_array();
  EXPECT_EQ(a.rank(), 2u);
  EXPECT_EQ(a.lbound(0), 0);
  EXPECT_EQ(a.lbound(1), 0);
  EXPECT_EQ(a.ubound(1), 1);
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    out.emplace_back(a.at(c, 0).as_string());
    EXPECT_EQ(a.at(c, 1), Value("")) << "row 1 of column " << c;
  }
  return out;
}

// Expected text built piece by piece; `<<` keeps the pieces (and the Words calls) in order.
struct Text {
  std::string s;
  Text& operator<<(std::string_view piece) {
    s.append(piece);
    return *this;
  }
};

// Pins the library's today for one test.
struct PinnedToday {
  explicit PinnedToday(Date d) { host::pin_today(d); }
  ~PinnedToday() { host::pin_today(std::nullopt); }
};

}  // namespace lema::f24_testing
