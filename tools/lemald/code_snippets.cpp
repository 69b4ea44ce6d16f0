#include "tools/lemald/code_snippets.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "common/text.h"
#include "host/date_text_converter.h"

namespace lemald {
namespace {

using lema::TypeTag;
using lema::Value;

bool is_missing(const json* j) {
  return !j || (j->is_object() && j->contains("$missing"));
}
bool is_object_ref(const json& j) {
  return j.is_object() && (j.contains("$object") || j.contains("$nothing"));
}

// What every form needs to know about the call.
struct Shape {
  explicit Shape(const CallShape& c) : call(c) {
    const std::string_view prog = c.info.prog_id();
    cls = std::string(prog.substr(prog.find('.') + 1));
    lookup = cls == "CLSCG_LOOKUP";
    decode = cls == "CLSCG_DECODE";
    var = lookup ? "lk" : decode ? "dc" : "cn";
    header = lookup   ? "lookup/clscg_lookup.h"
             : decode ? "decode/clscg_decode.h"
                      : "connect/clscg_connect.h";
    translate = c.host.value("translate", "off");
    host = translate != "off";
    nargs = c.args.size();
    while (nargs > 0 && is_missing(&c.args[nargs - 1])) --nargs;
    for (size_t i = 0; i < nargs; ++i) note_objects(c.args[i]);
    for (const auto& [name, v] : c.settings.items()) note_objects(v);
  }
  void note_objects(const json& j) {
    if (!j.is_object() || !j.contains("$object") || !j.at("$object").is_string()) return;
    const std::string n = j.at("$object").get<std::string>();
    if (n == "db")
      db = true;
    else if (std::find(controls.begin(), controls.end(), n) == controls.end())
      controls.push_back(n);
  }
  const json* arg(size_t i) const { return i < nargs ? &call.args[i] : nullptr; }

  const CallShape& call;
  std::string cls, var, header, translate;
  bool lookup = false, decode = false, host = false, db = false;
  std::vector<std::string> controls;
  size_t nargs = 0;
};

// Settings and parameters of an enumeration type, by member name.
std::string_view enum_of(std::string_view name) {
  static const std::map<std::string_view, std::string_view> enums = {
      {"TipologiaSezionale", "TipologiaSezionaleEnum"},
      {"CausaliContabiliTipoLookup", "CausaliContabiliLookupEnum"},
      {"TipoSoggetto", "TipoSoggettoF24"},
      {"Elenchi_IndGestioneElenchiMov3000", "IndicatoreGestioneElenchiMov3000Enum"},
      {"kwCalledProgram", "kwEnumCalledProgram"},
      {"Elenchi_IndTipoGestione", "Elenchi_TipoGestione"},
      {"Elenchi_IndTipoProvenienza", "Elenchi_TipoProvenienza"},
      {"Elenchi_IndTipoGenerazioneContratto", "Elenchi_TipoGenerazioneContratto"}};
  auto it = enums.find(name);
  return it == enums.end() ? std::string_view() : it->second;
}

// A C or C++ string literal.
std::string c_literal(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\%03o", c);
      out += b;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string identifier(std::string_view name) {
  std::string out;
  for (char c : name) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  if (out.empty() || std::isdigit(static_cast<unsigned char>(out[0]))) out.insert(0, "c_");
  return out;
}

std::string double_text(double d) {
  char b[32];
  std::snprintf(b, sizeof b, "%.17g", d);
  std::string s = b;
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

Value plain_value(const json& j) {
  static const ObjectNames none{[](const std::string&) { return lema::ObjectRef(); },
                                [](const lema::Object&) { return std::string(); }};
  if (is_object_ref(j)) return Value::nothing();
  return from_json(j, none);
}

lema::Date::Civil civil_of(const json& j) {
  auto d = lema::host::parse_date_text(j.at("$date").get<std::string>());
  return d ? d->civil() : lema::Date::Civil{1899, 12, 30, 0, 0, 0};
}

std::string date_args(const lema::Date::Civil& c) {
  std::ostringstream o;
  o << c.year << ", " << c.month << ", " << c.day;
  if (c.hour || c.minute || c.second) o << ", " << c.hour << ", " << c.minute << ", " << c.second;
  return o.str();
}

// What the explorer supplied that the programs do not, as comment lines without their marks.
std::vector<std::string> notes(const Shape& s) {
  std::vector<std::string> out;
  for (const std::string& cls : s.call.stand_ins)
    out.push_back("The explorer answers for " + cls +
                  " with a stand-in: without one that the host " +
                  "registers, the method falls back.");
  return out;
}

// ---- C++ ---------------------------------------------------------------------------------

std::string cpp_object(const json* j) {
  if (!j || !j->is_object() || !j->contains("$object")) return "lema::ObjectRef()";
  const std::string n = j->at("$object").get<std::string>();
  return n == "db" ? "db" : identifier(n);
}

std::string cpp_value(const json& j) {
  if (j.is_string()) return "lema::Value(" + c_literal(j.get<std::string>()) + ")";
  if (j.is_boolean()) return j.get<bool>() ? "lema::Value(true)" : "lema::Value(false)";
  if (j.is_null()) return "lema::Value::null()";
  if (j.is_number()) {
    Value v = plain_value(j);
    return v.kind() == lema::Kind::Long ? "lema::Value(" + std::to_string(v.as_long()) + ")"
                                        : "lema::Value(" + double_text(v.as_double()) + ")";
  }
  if (j.contains("$empty")) return "lema::Value()";
  if (j.contains("$missing")) return "lema::Value::missing()";
  if (j.contains("$nothing")) return "lema::Value::nothing()";
  if (j.contains("$object")) return "lema::Value(" + cpp_object(&j) + ")";
  if (j.contains("$int"))
    return "lema::Value(int16_t{" + std::to_string(plain_value(j).as_integer()) + "})";
  if (j.contains("$long"))
    return "lema::Value(int32_t{" + std::to_string(plain_value(j).as_long()) + "})";
  if (j.contains("$double")) return "lema::Value(" + double_text(plain_value(j).as_double()) + ")";
  if (j.contains("$decimal"))
    return "lema::Value(*lema::Decimal::parse(" + c_literal(plain_value(j).as_decimal().to_text()) +
           "))";
  if (j.contains("$date"))
    return "lema::Value(*lema::Date::from_civil(" + date_args(civil_of(j)) + "))";
  return "lema::Value()";
}

std::string cpp_type(TypeTag t, std::string_view name) {
  switch (t) {
    case TypeTag::Integer:
      return "int16_t";
    case TypeTag::Long:
      return enum_of(name).empty() ? "int32_t" : "lema::" + std::string(enum_of(name));
    case TypeTag::Boolean:
      return "bool";
    case TypeTag::Double:
      return "double";
    case TypeTag::String:
      return "std::string";
    case TypeTag::Object:
      return "lema::ObjectRef";
    default:
      return "lema::Value";
  }
}

// `v` written as a literal of the member's C++ type.
std::string cpp_typed(TypeTag t, std::string_view name, const Value& v) {
  switch (t) {
    case TypeTag::Integer:
      return "int16_t{" + std::to_string(lema::to_integer(v)) + "}";
    case TypeTag::Long:
      return cpp_type(t, name) + "{" + std::to_string(lema::to_long(v)) + "}";
    case TypeTag::Boolean:
      return lema::to_boolean(v) ? "true" : "false";
    case TypeTag::Double:
      return double_text(lema::to_double(v));
    case TypeTag::String:
      return c_literal(lema::to_string_param(v));
    default:
      return "lema::Value()";
  }
}

// The C++ argument for parameter `p`; `pre` receives the variables that by-reference
// parameters need.
std::string cpp_arg(const lema::ParamInfo& p, const json* j, std::vector<std::string>& pre) {
  const std::string name = identifier(p.name);
  std::string expr;
  if (p.type == TypeTag::Object)
    expr = cpp_object(j);
  else if (p.type == TypeTag::Variant)
    expr = is_missing(j) ? "lema::Value::missing()" : cpp_value(*j);
  else
    expr = cpp_typed(p.type, p.name, is_missing(j) ? p.def : plain_value(*j));
  if (!p.byref) return expr;
  if (p.optional && is_missing(j)) return "nullptr";
  pre.push_back(cpp_type(p.type, p.name) + " " + name + " = " + expr + ";");
  return p.optional ? "&" + name : name;
}

std::string cpp_form(const Shape& s) {
  const CallShape& c = s.call;
  std::ostringstream o;
  o << "// Build: c++ -std=c++20 call.cpp $(pkg-config --cflags --libs lema)\n";
  for (const std::string& n : notes(s)) o << "// " << n << "\n";
  o << "#include <iostream>\n";
  if (s.host) o << "#include <string>\n";
  o << "\n";
  if (!s.controls.empty()) o << "#include \"automation/class_info.h\"\n";
  o << "#include \"common/guard.h\"\n#include \"common/text.h\"\n";
  if (s.db) o << "#include \"host/ado/connection.h\"\n";
  if (s.host) o << "#include \"host/host_framework.h\"\n";
  o << "#include \"" << s.header << "\"\n\n";
  if (s.host || !s.controls.empty()) o << "namespace {\n\n";
  if (s.host) {
    const bool numbered = s.translate == "numbered";
    o << "// The host framework's interface object.\n"
      << "class Host final : public lema::host::HostFramework {\n public:\n"
      << "  lema::Value LanguageCode() override { return "
      << cpp_value(c.host.value("language", json("ITA"))) << "; }\n"
      << "  lema::Value CompanyCode() override { return "
      << cpp_value(c.host.value("company", json(1)))
      << "; }\n  void Translate(std::string_view text, std::string& out) override {\n"
      << (numbered ? "    out.append(text).append(\"#\").append(std::to_string(++calls_));\n"
                   : "    out.append(text);\n")
      << "  }\n  bool IsHostOptionSet() override { return false; }\n"
      << (numbered ? "\n private:\n  int calls_ = 0;\n" : "") << "};\n\n";
  }
  if (!s.controls.empty())
    o << "// A control of the screen: the library only stores it and hands it on.\n"
      << "class Control final : public lema::Object {\n public:\n"
      << "  const lema::ClassInfo& class_info() const override {\n"
      << "    static const lema::ClassInfo info(\"Control\", {});\n    return info;\n  }\n};\n\n";
  if (s.host || !s.controls.empty()) o << "}  // namespace\n\n";

  o << "int main() {\n  try {\n    lema::set_value_guard(true);  // as the explorer runs\n";
  const std::string& v = s.var;
  o << "    auto " << v << " = lema::make_object<lema::" << s.cls << ">();\n";
  if (s.host) o << "    " << v << "->ActiveInterface = lema::make_object<Host>();\n";
  for (const std::string& n : s.controls)
    o << "    lema::ObjectRef " << identifier(n) << " = lema::make_object<Control>();\n";
  if (s.db)
    o << "    auto connection = lema::make_object<lema::ado::Connection>();\n"
      << "    connection->Open(lema::Value(" << c_literal(c.db_url) << "));\n"
      << "    lema::ObjectRef db = connection;\n";
  for (const auto& [name, value] : c.settings.items()) {
    const lema::Member* p = c.info.find(name);
    const TypeTag t = p ? p->type : TypeTag::Variant;
    o << "    " << v << "->" << name << " = "
      << (t == TypeTag::Object    ? cpp_object(&value)
          : t == TypeTag::Variant ? cpp_value(value)
                                  : cpp_typed(t, name, plain_value(value)))
      << ";\n";
  }
  std::vector<std::string> pre, args;
  size_t last = 0;  // arguments up to the last one passed
  for (size_t i = 0; i < c.method.params.size(); ++i)
    if (!is_missing(s.arg(i))) last = i + 1;
  for (size_t i = 0; i < last; ++i) args.push_back(cpp_arg(c.method.params[i], s.arg(i), pre));
  for (const std::string& line : pre) o << "    " << line << "\n";
  o << "    " << (c.method.type == TypeTag::Void ? "" : "auto result = ") << v << "->"
    << c.method.name << "(";
  for (size_t i = 0; i < args.size(); ++i) o << (i ? ", " : "") << args[i];
  o << ");\n";
  if (s.lookup)
    o << "    std::cout << \"Caption: \" << lema::to_text(lk->Caption()) << \"\\n\";\n"
      << "    std::cout << \"IDLookup: \" << lema::to_text(lk->IDLookup) << \"\\n\";\n"
      << "    const lema::Value& headings = lk->ColonneLookup();\n"
      << "    if (headings.is_array() && headings.as_array().rank() == 2)\n"
      << "      for (int32_t c = 0; c <= headings.as_array().ubound(0); ++c)\n"
      << "        std::cout << \"Heading: \" << lema::to_text(headings.as_array().at(c, 0)) << \"\\n\";\n";
  if (s.lookup || s.decode)
    o << "    std::cout << \"StringaSQL: \" << lema::to_text(" << v
      << "->StringaSQL()) << \"\\n\";\n";
  if (s.decode)
    o << "    const lema::Value& binding = dc->ColonneDiDecodifica();\n"
      << "    if (binding.is_array() && binding.as_array().rank() == 2)\n"
      << "      for (int32_t r = 0; r <= binding.as_array().ubound(0); ++r)\n"
      << "        std::cout << \"Binding: \" << lema::to_text(binding.as_array().at(r, 1)) << \"\\n\";\n";
  if (c.method.type != TypeTag::Void)
    o << "    std::cout << \"Result: \" << lema::to_text(lema::Value(result)) << \"\\n\";\n";
  o << "  } catch (const std::exception& e) {\n    std::cerr << e.what() << \"\\n\";\n    return 1;\n"
    << "  }\n  return 0;\n}\n";
  return o.str();
}

// ---- C -----------------------------------------------------------------------------------

// Statements that make the lema_value `target` hold `j`.
void c_value(std::ostringstream& o, const std::string& target, const json& j) {
  std::string kind = "LEMA_EMPTY", field, x;
  const Value v = plain_value(j);
  if (is_object_ref(j)) {
    const std::string n = j.contains("$object") ? j.at("$object").get<std::string>() : "";
    if (n == "db") o << "  /* db: the C interface has no connection class, so no object here */\n";
    kind = "LEMA_OBJECT", field = "object", x = n.empty() || n == "db" ? "NULL" : identifier(n);
  } else if (v.is_null()) {
    kind = "LEMA_NULL";
  } else if (v.is_missing()) {
    kind = "LEMA_MISSING";
  } else if (v.kind() == lema::Kind::Integer) {
    kind = "LEMA_INTEGER", field = "integer", x = std::to_string(v.as_integer());
  } else if (v.kind() == lema::Kind::Long) {
    kind = "LEMA_LONG", field = "lng", x = std::to_string(v.as_long());
  } else if (v.kind() == lema::Kind::Double) {
    kind = "LEMA_DOUBLE", field = "dbl", x = double_text(v.as_double());
  } else if (v.kind() == lema::Kind::Boolean) {
    kind = "LEMA_BOOLEAN", field = "boolean", x = v.as_boolean() ? "1" : "0";
  } else if (v.kind() == lema::Kind::Date) {
    const lema::Date::Civil d = v.as_date().civil();
    kind = "LEMA_DATE", field = "date";
    x = "(lema_date){" + date_args(d) + (d.hour || d.minute || d.second ? "" : ", 0, 0, 0") + "}";
  } else if (v.is_string() || v.kind() == lema::Kind::Decimal) {
    const std::string t = v.is_string() ? std::string(v.as_string()) : v.as_decimal().to_text();
    kind = v.is_string() ? "LEMA_STRING" : "LEMA_DECIMAL", field = "text.data", x = c_literal(t);
    o << "  " << target << ".u.text.length = " << t.size() << ";\n";
  }
  o << "  " << target << ".kind = " << kind << ";\n";
  if (!field.empty()) o << "  " << target << ".u." << field << " = " << x << ";\n";
}

std::string c_form(const Shape& s) {
  const CallShape& c = s.call;
  std::ostringstream o;
  o << "/* Build: cc call.c $(pkg-config --cflags --libs lema) */\n";
  for (const std::string& n : notes(s)) o << "/* " << n << " */\n";
  o << "#define _POSIX_C_SOURCE 200809L\n#include <lema/lema.h>\n#include <stdio.h>\n#include <stdlib.h>\n\n"
    << "static void check(int rc, const char* what) {\n  if (rc == LEMA_OK) return;\n"
    << "  fprintf(stderr, \"%s: %s\\n\", what, lema_last_error());\n  exit(1);\n}\n\n";
  if (s.lookup || s.decode || c.method.type != TypeTag::Void)
    o << "static void print_text(const char* label, const lema_value* v) {\n"
      << "  int n = v->kind == LEMA_STRING ? (int)v->u.text.length : 0;\n"
      << "  printf(\"%s: %.*s\\n\", label, n, n ? v->u.text.data : \"\");\n}\n\n";
  if (!s.controls.empty())
    o << "/* A control of the screen: an object the library only stores and hands on. */\n"
      << "static int control_invoke(void* cls, void* state, lema_object* self, const char* member, int kind,\n"
      << "                          lema_value* args, size_t nargs, lema_value* result) {\n"
      << "  (void)cls, (void)state, (void)self, (void)member, (void)kind, (void)args, (void)nargs, (void)result;\n"
      << "  return LEMA_E_NOT_SUPPORTED;\n}\n\n";
  if (s.lookup || s.decode)
    o << "/* Prints property `name`, or column `col` of each row when it is a table. */\n"
      << "static void print_property(lema_object* obj, const char* label, const char* name, int col) {\n"
      << "  lema_value v = LEMA_VALUE_INIT;\n  check(lema_get(obj, name, &v), name);\n"
      << "  if (col < 0) {\n    print_text(label, &v);\n"
      << "  } else if (v.kind == LEMA_ARRAY && v.u.array->rank == 2) {\n"
      << "    for (int32_t r = 0; r < v.u.array->bounds[0].count; ++r)\n"
      << "      print_text(label, &v.u.array->items[r * v.u.array->bounds[1].count + col]);\n  }\n"
      << "  lema_value_clear(&v);\n}\n\n";
  o << "int main(void) {\n  setenv(\"LEMA_VALUE_GUARD\", \"1\", 1); /* as the explorer runs */\n"
    << "  lema_object* obj = NULL;\n  check(lema_create(" << c_literal(c.info.prog_id())
    << ", &obj), \"create\");\n";
  if (!s.controls.empty())
    o << "  lema_class_callbacks control = {NULL, control_invoke, NULL, NULL};\n"
      << "  check(lema_register_class(\"Screen.Control\", &control, NULL), \"register\");\n";
  for (const std::string& n : s.controls)
    o << "  lema_object* " << identifier(n) << " = NULL;\n  check(lema_create(\"Screen.Control\", &"
      << identifier(n) << "), " << c_literal(n) << ");\n";
  if (s.host)
    o << "  /* The host object of the explorer (language, company, translation) is left out here: a\n"
      << "     host registers its own class with lema_register_class and sets ActiveInterface. */\n";
  for (const auto& [name, value] : c.settings.items()) {
    o << "  {\n    lema_value v = LEMA_VALUE_INIT;\n";
    std::ostringstream body;
    c_value(body, "v", value);
    std::string b = body.str();
    for (size_t p = 0; (p = b.find("\n  ", p)) != std::string::npos; p += 5)
      b.replace(p, 3, "\n    ");
    o << "  " << b << "    check(lema_" << (is_object_ref(value) ? "set" : "let") << "(obj, "
      << c_literal(name) << ", &v), " << c_literal(name) << ");\n  }\n";
  }
  const std::string call_name = c_literal(c.method.name);
  if (s.nargs) {
    o << "  lema_value args[" << s.nargs << "] = {LEMA_VALUE_INIT";
    for (size_t i = 1; i < s.nargs; ++i) o << ", LEMA_VALUE_INIT";
    o << "};\n";
    for (size_t i = 0; i < s.nargs; ++i) c_value(o, "args[" + std::to_string(i) + "]", c.args[i]);
  }
  o << "  lema_value result = LEMA_VALUE_INIT;\n  check(lema_call(obj, " << call_name << ", "
    << (s.nargs ? "args" : "NULL") << ", " << s.nargs << ", &result), " << call_name << ");\n";
  if (s.lookup)
    o << "  print_property(obj, \"Caption\", \"Caption\", -1);\n"
      << "  print_property(obj, \"IDLookup\", \"IDLookup\", -1);\n"
      << "  print_property(obj, \"Heading\", \"ColonneLookup\", 0);\n";
  if (s.lookup || s.decode) o << "  print_property(obj, \"StringaSQL\", \"StringaSQL\", -1);\n";
  if (s.decode) o << "  print_property(obj, \"Binding\", \"ColonneDiDecodifica\", 1);\n";
  if (c.method.type != TypeTag::Void)
    o << "  if (result.kind == LEMA_BOOLEAN) printf(\"Result: %s\\n\", result.u.boolean ? \"True\" : \"False\");\n"
      << "  if (result.kind == LEMA_INTEGER) printf(\"Result: %d\\n\", result.u.integer);\n"
      << "  if (result.kind == LEMA_LONG) printf(\"Result: %d\\n\", (int)result.u.lng);\n"
      << "  if (result.kind == LEMA_STRING || result.kind == LEMA_EMPTY) print_text(\"Result\", &result);\n";
  if (s.nargs)
    o << "  for (size_t i = 0; i < " << s.nargs << "; ++i) lema_value_clear(&args[i]);\n";
  o << "  lema_value_clear(&result);\n  lema_release(obj);\n";
  for (const std::string& n : s.controls) o << "  lema_release(" << identifier(n) << ");\n";
  o << "  return 0;\n}\n";
  return o.str();
}

// ---- Python ------------------------------------------------------------------------------

std::string py_value(const json& j) {
  if (is_object_ref(j)) {
    const std::string n = j.contains("$object") ? j.at("$object").get<std::string>() : "db";
    return "value(OBJECT, \"object\", " +
           (n == "db" ? std::string("None") : "controls[" + json(n).dump() + "].value") + ")";
  }
  Value v = plain_value(j);
  switch (v.kind()) {
    case lema::Kind::Null:
      return "value(NULL)";
    case lema::Kind::Missing:
      return "value(MISSING)";
    case lema::Kind::Integer:
      return "value(INTEGER, \"integer\", " + std::to_string(v.as_integer()) + ")";
    case lema::Kind::Long:
      return "value(LONG, \"lng\", " + std::to_string(v.as_long()) + ")";
    case lema::Kind::Double:
      return "value(DOUBLE, \"dbl\", " + double_text(v.as_double()) + ")";
    case lema::Kind::Boolean:
      return std::string("value(BOOLEAN, \"boolean\", ") + (v.as_boolean() ? "1" : "0") + ")";
    case lema::Kind::String:
      return "value(STRING, \"text\", " + json(std::string(v.as_string())).dump() + ")";
    case lema::Kind::Decimal:
      return "value(DECIMAL, \"text\", " + json(v.as_decimal().to_text()).dump() + ")";
    case lema::Kind::Date: {
      const lema::Date::Civil d = v.as_date().civil();
      return "value(DATE, \"date\", Date(" + date_args(d) + "))";
    }
    default:
      return "value(EMPTY)";
  }
}

std::string python_form(const Shape& s) {
  const CallShape& c = s.call;
  std::ostringstream o;
  o << "\"\"\"The explorer's call through the C interface, from Python (ctypes).";
  for (const std::string& n : notes(s)) o << "\n\n" << n;
  o << "\"\"\"\n"
    << "import ctypes as C\nimport os\n\n"
    << "os.environ.setdefault(\"LEMA_VALUE_GUARD\", \"1\")  # as the explorer runs\n"
    << "lib = C.CDLL(os.environ.get(\"LEMA_LIBRARY\", \"liblema.so.1\"))\n"
    << "lib.lema_last_error.restype = C.c_char_p\n"
    << "EMPTY, NULL, MISSING, INTEGER, LONG, DOUBLE, DECIMAL, STRING, DATE, BOOLEAN, OBJECT, ARRAY = range(12)\n\n\n"
    << "class Text(C.Structure):\n    _fields_ = [(\"data\", C.c_void_p), (\"length\", C.c_size_t)]\n\n\n"
    << "class Date(C.Structure):\n"
    << "    _fields_ = [(n, C.c_int32) for n in (\"year\", \"month\", \"day\", \"hour\", \"minute\", \"second\")]\n\n\n"
    << "class Value(C.Structure):\n    pass\n\n\n"
    << "class Array(C.Structure):\n"
    << "    _fields_ = [(\"rank\", C.c_uint32), (\"bounds\", C.c_int32 * 4), (\"items\", C.POINTER(Value))]\n\n\n"
    << "class Payload(C.Union):\n"
    << "    _fields_ = [(\"integer\", C.c_int16), (\"lng\", C.c_int32), (\"dbl\", C.c_double), (\"boolean\", C.c_int32),\n"
    << "                (\"text\", Text), (\"date\", Date), (\"object\", C.c_void_p), (\"array\", C.POINTER(Array))]\n\n\n"
    << "Value._fields_ = [(\"kind\", C.c_int32), (\"flags\", C.c_uint32), (\"u\", Payload)]\n"
    << "keep = []  # buffers of the texts passed\n\n\n"
    << "def value(kind, field=None, x=None):\n    v = Value(kind=kind)\n    if field == \"text\":\n"
    << "        keep.append(C.create_string_buffer(x.encode()))\n"
    << "        v.u.text = Text(C.addressof(keep[-1]), len(keep[-1].value))\n"
    << "    elif field:\n        setattr(v.u, field, x)\n    return v\n\n\n"
    << "def check(rc, what):\n    if rc:\n        raise SystemExit(f\"{what}: {lib.lema_last_error().decode()}\")\n\n\n"
    << "def text(v):\n"
    << "    return C.string_at(v.u.text.data, v.u.text.length).decode() if v.kind == STRING else \"\"\n\n\n"
    << "def show(obj, label, name, col=None):\n    v = Value()\n"
    << "    check(lib.lema_get(obj, name.encode(), C.byref(v)), name)\n    if col is None:\n"
    << "        print(f\"{label}: {text(v)}\")\n"
    << "    elif v.kind == ARRAY and v.u.array.contents.rank == 2:\n        a = v.u.array.contents\n"
    << "        for r in range(a.bounds[1]):\n            print(f\"{label}: {text(a.items[r * a.bounds[3] + col])}\")\n"
    << "    lib.lema_value_clear(C.byref(v))\n\n\n";
  if (!s.controls.empty())
    o << "# Controls of the screen: objects of a class of this program, which the library only\n"
      << "# stores and hands on.\nINVOKE = C.CFUNCTYPE(C.c_int, C.c_void_p, C.c_void_p, C.c_void_p, C.c_char_p, C.c_int,\n"
      << "                    C.POINTER(Value), C.c_size_t, C.POINTER(Value))\n"
      << "control_invoke = INVOKE(lambda *args: 438)  # LEMA_E_NOT_SUPPORTED\n"
      << "callbacks = (C.c_void_p * 4)(None, C.cast(control_invoke, C.c_void_p), None, None)\n"
      << "check(lib.lema_register_class(b\"Screen.Control\", callbacks, None), \"register\")\ncontrols = {}\n"
      << "for name in " << json(s.controls).dump() << ":\n    controls[name] = C.c_void_p()\n"
      << "    check(lib.lema_create(b\"Screen.Control\", C.byref(controls[name])), name)\n";
  o << "obj = C.c_void_p()\ncheck(lib.lema_create(" << json(std::string(c.info.prog_id())).dump()
    << ".encode(), C.byref(obj)), \"create\")\n";
  if (s.host)
    o << "# The explorer's host object (language, company, translation) is left out here.\n";
  for (const auto& [name, value] : c.settings.items())
    o << "check(lib.lema_" << (is_object_ref(value) ? "set" : "let") << "(obj, b\"" << name
      << "\", C.byref(" << py_value(value) << ")), \"" << name << "\")\n";
  o << "args = (Value * " << s.nargs << ")(";
  for (size_t i = 0; i < s.nargs; ++i) o << (i ? ", " : "") << py_value(c.args[i]);
  o << ")\nresult = Value()\ncheck(lib.lema_call(obj, " << json(std::string(c.method.name)).dump()
    << ".encode(), args, " << s.nargs << ", C.byref(result)), \"call\")\n";
  if (s.lookup)
    o << "show(obj, \"Caption\", \"Caption\")\nshow(obj, \"IDLookup\", \"IDLookup\")\n"
      << "show(obj, \"Heading\", \"ColonneLookup\", 0)\n";
  if (s.lookup || s.decode) o << "show(obj, \"StringaSQL\", \"StringaSQL\")\n";
  if (s.decode) o << "show(obj, \"Binding\", \"ColonneDiDecodifica\", 1)\n";
  if (c.method.type != TypeTag::Void)
    o << "if result.kind == BOOLEAN:\n    print(\"Result: \" + (\"True\" if result.u.boolean else \"False\"))\n"
      << "elif result.kind in (INTEGER, LONG):\n"
      << "    print(f\"Result: {result.u.integer if result.kind == INTEGER else result.u.lng}\")\n"
      << "elif result.kind in (STRING, EMPTY):\n    print(\"Result: \" + text(result))\n";
  o << "lib.lema_value_clear(C.byref(result))\nlib.lema_release(obj)\n";
  return o.str();
}

// ---- lemald run ----------------------------------------------------------------------------

std::string lemald_form(const Shape& s) {
  using step = nlohmann::ordered_json;  // "op" first, as people write steps
  const CallShape& c = s.call;
  auto same = [](const json& j) { return step::parse(j.dump()); };
  std::vector<step> steps;
  if (s.host) {
    step h{{"op", "host"}, {"as", "host"}, {"translate", s.translate}};
    for (const char* k : {"language", "company"})
      if (c.host.contains(k)) h[k] = same(c.host.at(k));
    steps.push_back(std::move(h));
  }
  for (const std::string& n : s.controls) steps.push_back(step{{"op", "control"}, {"as", n}});
  if (s.db) steps.push_back(step{{"op", "connection"}, {"as", "db"}, {"url", c.db_url}});
  steps.push_back(step{{"op", "new"}, {"class", std::string(c.info.prog_id())}, {"as", s.var}});
  if (s.host)
    steps.push_back(step{{"op", "set"},
                         {"obj", s.var},
                         {"prop", "ActiveInterface"},
                         {"value", {{"$object", "host"}}}});
  for (const auto& [name, value] : c.settings.items())
    steps.push_back(step{{"op", is_object_ref(value) ? "set" : "let"},
                         {"obj", s.var},
                         {"prop", name},
                         {"value", same(value)}});
  step args = step::array();
  for (size_t i = 0; i < s.nargs; ++i) args.push_back(same(c.args[i]));
  steps.push_back(
      step{{"op", "call"}, {"obj", s.var}, {"method", std::string(c.method.name)}, {"args", args}});
  std::vector<const char*> outputs;
  if (s.lookup) outputs = {"Caption", "IDLookup", "ColonneLookup", "StringaSQL"};
  if (s.decode) outputs = {"StringaSQL", "ColonneDiDecodifica"};
  for (const char* p : outputs) steps.push_back(step{{"op", "get"}, {"obj", s.var}, {"prop", p}});
  std::string out = "LEMA_VALUE_GUARD=1 lemald run - <<'JSON'\n{\"steps\": [\n";
  for (size_t i = 0; i < steps.size(); ++i)
    out += "  " + steps[i].dump() + (i + 1 < steps.size() ? ",\n" : "\n");
  return out + "]}\nJSON\n";
}

}  // namespace

json code_snippets(const CallShape& call) {
  const Shape s(call);
  return json{{"lemald", lemald_form(s)},
              {"cpp", cpp_form(s)},
              {"c", c_form(s)},
              {"python", python_form(s)}};
}

}  // namespace lemald
