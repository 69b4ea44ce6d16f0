// Helpers of the lookup tests: reading the outputs, filling expected statements, and the
// text a numbered-translation host gives.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/sql.h"
#include "common/value.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema::testing {

inline std::string text_of(const Value& v) {
  return v.is_string() ? std::string(v.as_string()) : "<" + std::string(kind_name(v.kind())) + ">";
}

// Headings of a column table (0 To N-1, 0 To 1). A filled column must hold "" in row 1; an
// unfilled one is Empty in both cells and shows as "<Empty>".
inline std::vector<std::string> headings(const Value& table) {
  std::vector<std::string> out;
  if (!table.is_array()) {
    ADD_FAILURE() << "not an array";
    return out;
  }
  const Array& a = table.as_array();
  EXPECT_EQ(a.rank(), 2u);
  EXPECT_EQ(a.lbound(0), 0);
  EXPECT_EQ(a.lbound(1), 0);
  EXPECT_EQ(a.ubound(1), 1);
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    out.push_back(text_of(a.at(c, 0)));
    if (a.at(c, 0).is_empty())
      EXPECT_TRUE(a.at(c, 1).is_empty()) << "column " << c;
    else
      EXPECT_EQ(a.at(c, 1), Value("")) << "column " << c;
  }
  return out;
}

// `text` with each placeholder replaced.
inline std::string fill(
    std::string text, std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
  for (const auto& [from, to] : values) text = replace_all(text, from, to);
  return text;
}

// What a host numbering its translations gives for `expected`: each of `texts`, searched in
// order after an opening quote, gets "#1", "#2", ... appended.
inline std::string numbered(std::string expected, const std::vector<std::string_view>& texts) {
  size_t pos = 0;
  int n = 0;
  for (std::string_view t : texts) {
    const size_t at = expected.find("'" + std::string(t), pos);
    if (at == std::string::npos) {
      ADD_FAILURE() << "translated text not found in order: " << t;
      return expected;
    }
    const std::string mark = "#" + std::to_string(++n);
    expected.insert(at + 1 + t.size(), mark);
    pos = at + 1 + t.size() + mark.size();
  }
  return expected;
}

// A recording host for the lookup `lk`, logging into `log`.
inline Ref<host::RecordingHost> attach_host(CLSCG_LOOKUP& lk, host::RecordingHostConfig cfg,
                                            std::shared_ptr<host::TextLog> log = nullptr) {
  auto h = make_object<host::RecordingHost>(std::move(cfg), std::move(log));
  lk.ActiveInterface = ObjectRef(h);
  return h;
}

inline host::RecordingHostConfig numbered_host(Value language, Value company) {
  host::RecordingHostConfig cfg;
  cfg.language = std::move(language);
  cfg.company = std::move(company);
  cfg.translation = host::RecordingHostConfig::Translation::Numbered;
  return cfg;
}

inline host::RecordingHostConfig failing_host() {
  host::RecordingHostConfig cfg;
  cfg.language = Value("ENG");
  cfg.company = Value(int32_t{9});
  cfg.translation = host::RecordingHostConfig::Translation::Numbered;
  cfg.fail = {"LanguageCode", "CompanyCode", "Translate"};
  return cfg;
}

}  // namespace lema::testing
