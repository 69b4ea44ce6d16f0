// Values to and from the JSON forms of the script protocol.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "common/value.h"

namespace lemald {

using nlohmann::json;

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Resolves {"$object": NAME} (input) and names objects (output).
struct ObjectNames {
  std::function<lema::ObjectRef(const std::string&)> find;
  std::function<std::string(const lema::Object&)> name_of;  // "" when the script did not name it
  // Why no object has that name (the message of the error), when it can say more than
  // "no object named NAME".
  std::function<std::string(const std::string&)> missing = nullptr;
};

// Raises ScriptError for a malformed value, and for arrays nested deeper than
// lema::kMaxArrayNesting (checked before going deeper).
lema::Value from_json(const json& j, const ObjectNames& names);
json to_json(const lema::Value& v, const ObjectNames& names);

}  // namespace lemald
