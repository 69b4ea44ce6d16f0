// Shared fixture of the decode tests: a fresh decode object, screen controls, and the
// expected binding tables.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "automation/class_info.h"
#include "decode/clscg_decode.h"
#include "testing/stand_ins.h"

namespace lema::testing_support {

class DecodeFixture : public ::testing::Test {
 protected:
  Ref<CLSCG_DECODE> d = make_object<CLSCG_DECODE>();
  ObjectRef txt = host::make_control("txt");
  ObjectRef txt2 = host::make_control("txt2");
  ObjectRef txt3 = host::make_control("txt3");
  std::shared_ptr<host::TextLog> log = std::make_shared<host::TextLog>();

  std::string sql() const {
    const Value& v = d->StringaSQL();
    return v.is_string() ? std::string(v.as_string()) : "<not text>";
  }
  // By name, as a host calls it.
  void call(std::string_view method, std::initializer_list<Value> args) {
    call_method(*d, method, args);
  }
  // A recording host set as the decode's ActiveInterface.
  void use_host(host::RecordingHostConfig config) {
    d->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(std::move(config), log));
  }

  // (0 To n-1, 0 To 1) with the given control cells and column names.
  static Value table(std::initializer_list<std::pair<Value, std::string_view>> rows) {
    Array a = Array::matrix(static_cast<int32_t>(rows.size()), 2);
    int32_t i = 0;
    for (const auto& [control, column] : rows) {
      a.at(i, 0) = control;
      a.at(i, 1) = Value(column);
      ++i;
    }
    return Value(std::move(a));
  }
  Value one_row(std::string_view column) const { return table({{Value(txt), column}}); }
};

}  // namespace lema::testing_support
