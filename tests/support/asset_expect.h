// Helpers for the lookup tests: statement text, column headings, and expected statements in
// which the translated texts are marked «x».
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "lookup/clscg_lookup.h"

namespace lema::asset_testing {

inline std::string sql_of(const CLSCG_LOOKUP& lk) {
  return std::string(lk.StringaSQL().as_string());
}

// Row 0 of a (0 To N-1, 0 To 1) column table, checking that row 1 is "" in every column.
inline std::vector<std::string> headings(const Value& table) {
  const Array& a = table.as_array();
  EXPECT_EQ(a.rank(), 2u);
  EXPECT_EQ(a.lbound(0), 0);
  EXPECT_EQ(a.lbound(1), 0);
  EXPECT_EQ(a.ubound(1), 1);
  std::vector<std::string> out;
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    out.emplace_back(a.at(c, 0).as_string());
    EXPECT_EQ(a.at(c, 1), Value("")) << "column " << c;
  }
  return out;
}

// Replaces each «x» of `templ` with x (or `rate2` for «RATE2»), followed by "#n" when
// `numbered` (n counting the marks from 1, as a numbering host does); collects the texts.
inline std::string translated(std::string_view templ, bool numbered, std::string_view rate2 = {},
                              std::vector<std::string>* texts = nullptr) {
  const std::string_view open = "\u00ab", close = "\u00bb";
  std::string out;
  int n = 0;
  size_t at = 0;
  for (size_t b; (b = templ.find(open, at)) != std::string_view::npos;) {
    const size_t e = templ.find(close, b);
    out.append(templ.substr(at, b - at));
    std::string_view text = templ.substr(b + open.size(), e - b - open.size());
    if (text == "RATE2") text = rate2;
    out.append(text);
    if (texts) texts->emplace_back(text);
    if (numbered) out += "#" + std::to_string(++n);
    at = e + close.size();
  }
  out.append(templ.substr(at));
  return out;
}

// The log lines of a numbering host asked to translate `texts`, in order.
inline std::vector<std::string> numbered_log(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (size_t i = 0; i < texts.size(); ++i)
    out.push_back("host call Translate = " + texts[i] + "#" + std::to_string(i + 1) + " (" +
                  texts[i] + ")");
  return out;
}

}  // namespace lema::asset_testing
