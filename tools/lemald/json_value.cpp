#include "tools/lemald/json_value.h"

#include <cmath>
#include <limits>

#include "automation/class_info.h"
#include "common/message_text.h"
#include "host/date_text_converter.h"
#include "tools/lemald/recordset_json.h"

namespace lemald {
using lema::Array;
using lema::Kind;
using lema::Value;

namespace {
Value from_json_at(const json& j, const ObjectNames& names, size_t depth);

// A JSON value as an error message quotes it.
std::string shown(const json& j) {
  return lema::message_text(j.dump(-1, ' ', false, json::error_handler_t::replace));
}

Value number_value(const json& j) {
  if (j.is_number_integer()) {
    if (j.is_number_unsigned()) {
      auto u = j.get<uint64_t>();
      if (u <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return Value(static_cast<int32_t>(u));
      return Value(static_cast<double>(u));
    }
    auto i = j.get<int64_t>();
    if (i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max())
      return Value(static_cast<int32_t>(i));
    return Value(static_cast<double>(i));
  }
  return Value(j.get<double>());
}

lema::Date parse_date(const json& j) {
  if (!j.is_string()) throw ScriptError("$date takes a text");
  auto d = lema::host::parse_date_text(j.get<std::string>());
  if (!d) throw ScriptError("invalid $date: " + lema::message_text(j.get<std::string>()));
  return *d;
}

Value array_value(const json& j, const ObjectNames& names, size_t depth) {
  if (depth >= lema::kMaxArrayNesting)
    throw ScriptError("arrays nested more than " + std::to_string(lema::kMaxArrayNesting) +
                      " deep");
  const json& items = j.at("$array");
  if (!items.is_array()) throw ScriptError("$array takes a list");
  std::vector<int32_t> lb;
  if (j.contains("lbound")) {
    for (const json& b : j.at("lbound")) lb.push_back(b.get<int32_t>());
  }
  bool two_d = lb.size() == 2 || (lb.empty() && !items.empty() &&
                                  std::all_of(items.begin(), items.end(),
                                              [](const json& r) { return r.is_array(); }));
  if (two_d) {
    int32_t rows = static_cast<int32_t>(items.size());
    int32_t cols = 0;
    for (const json& r : items) {
      if (!r.is_array()) throw ScriptError("a two-dimensional $array takes a list of lists");
      cols = std::max(cols, static_cast<int32_t>(r.size()));
    }
    Array a({{lb.size() > 0 ? lb[0] : 0, rows}, {lb.size() > 1 ? lb[1] : 0, cols}});
    for (int32_t i = 0; i < rows; ++i)
      for (int32_t k = 0; k < static_cast<int32_t>(items[static_cast<size_t>(i)].size()); ++k)
        a.items()[static_cast<size_t>(i * cols + k)] =
            from_json_at(items[static_cast<size_t>(i)][static_cast<size_t>(k)], names, depth + 1);
    return Value(std::move(a));
  }
  Array a({{lb.empty() ? 0 : lb[0], static_cast<int32_t>(items.size())}});
  for (size_t i = 0; i < items.size(); ++i) a.items()[i] = from_json_at(items[i], names, depth + 1);
  return Value(std::move(a));
}

Value from_json_at(const json& j, const ObjectNames& names, size_t depth) {
  switch (j.type()) {
    case json::value_t::string:
      return Value(j.get<std::string>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
      return number_value(j);
    case json::value_t::boolean:
      return Value(j.get<bool>());
    case json::value_t::null:
      return Value::null();
    case json::value_t::object: {
      if (j.contains("$empty")) return Value();
      if (j.contains("$missing")) return Value::missing();
      if (j.contains("$nothing")) return Value::nothing();
      if (j.contains("$int")) return Value(static_cast<int16_t>(j.at("$int").get<int64_t>()));
      if (j.contains("$long")) return Value(static_cast<int32_t>(j.at("$long").get<int64_t>()));
      if (j.contains("$double")) return Value(j.at("$double").get<double>());
      if (j.contains("$decimal")) {
        const json& d = j.at("$decimal");
        auto dec = lema::Decimal::parse(d.is_string() ? d.get<std::string>() : d.dump());
        if (!dec) throw ScriptError("invalid $decimal");
        return Value(*dec);
      }
      if (j.contains("$date")) return Value(parse_date(j.at("$date")));
      if (j.contains("$object")) {
        std::string name = j.at("$object").get<std::string>();
        lema::ObjectRef o = names.find(name);
        if (!o)
          throw ScriptError(names.missing ? names.missing(name)
                                          : "no object named " + lema::message_text(name));
        return Value(o);
      }
      if (j.contains("$array")) return array_value(j, names, depth);
      throw ScriptError("unknown value form " + shown(j));
    }
    default:
      throw ScriptError("unsupported value " + shown(j));
  }
}
}  // namespace

Value from_json(const json& j, const ObjectNames& names) {
  return from_json_at(j, names, 0);
}

json to_json(const Value& v, const ObjectNames& names) {
  switch (v.kind()) {
    case Kind::Empty:
      return json{{"$empty", true}};
    case Kind::Null:
      return nullptr;
    case Kind::Missing:
      return json{{"$missing", true}};
    case Kind::Integer:
      return v.as_integer();
    case Kind::Long:
      return v.as_long();
    case Kind::Double: {
      double d = v.as_double();
      if (!std::isfinite(d)) return nullptr;
      return d;
    }
    case Kind::Decimal:
      return v.as_decimal().to_double();
    case Kind::String:
      return std::string(v.as_string());
    case Kind::Boolean:
      return v.as_boolean();
    case Kind::Date: {
      std::string t = v.as_date().to_text();
      if (t.size() > 10) t[10] = 'T';
      return json{{"$date", t}};
    }
    case Kind::Object: {
      const lema::ObjectRef& o = v.as_object();
      if (!o) return json{{"$nothing", true}};
      std::string n = names.name_of(*o);
      if (!n.empty()) return json{{"$object", n}};
      if (auto rs = recordset_json(*o, names)) return *rs;
      return json{{"$object", std::string("#").append(o->class_info().prog_id())}};
    }
    case Kind::Array: {
      const Array& a = v.as_array();
      json items = json::array();
      bool lb = false;
      for (size_t d = 0; d < a.rank(); ++d) lb = lb || a.bounds()[d].lower != 0;
      if (a.rank() == 2) {
        int32_t rows = a.bounds()[0].count, cols = a.bounds()[1].count;
        for (int32_t i = 0; i < rows; ++i) {
          json row = json::array();
          for (int32_t k = 0; k < cols; ++k)
            row.push_back(to_json(a.items()[static_cast<size_t>(i * cols + k)], names));
          items.push_back(std::move(row));
        }
      } else {
        for (const Value& x : a.items()) items.push_back(to_json(x, names));
      }
      json out{{"$array", std::move(items)}};
      if (lb) {
        json b = json::array();
        for (const auto& bd : a.bounds()) b.push_back(bd.lower);
        out["lbound"] = b;
      }
      return out;
    }
  }
  return nullptr;
}

}  // namespace lemald
