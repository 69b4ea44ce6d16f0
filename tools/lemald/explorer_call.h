// One by-name call of a method of the three classes, as the explorer and the catalog make
// it: a request in JSON, the outputs as a screen shows them, the reasons of the steps that
// fell back, and the same call as code to copy.
#pragma once

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

#include "tools/lemald/json_value.h"

namespace lema::ado {
class Recordset;
}

namespace lemald {

// Results are shown a page at a time, up to a bound.
inline constexpr int64_t kMaxRows = 500;
inline constexpr int64_t kPageRows = 50;

// A page of a recordset's rows: {"fields": [NAME], "rows": [[TEXT or null]], "total",
// "truncated", "page", "pageRows"}; "total" counts at most kMaxRows rows.
json rows_json(const lema::ado::Recordset& rs, int64_t page);

// A request that cannot be made; `status` is the HTTP status that answers it.
struct RequestError : std::runtime_error {
  RequestError(int status_, const std::string& message)
      : std::runtime_error(message), status(status_) {}
  int status;
};

// The methods in their groups: {"groups": [{"class", "source", "title", "methods": [{"name",
// "returns", "params": [{"name", "type", "optional", "byref"}], "settings": [{"name", "type",
// "access"}]}]}]}.
json describe_methods();

// Makes the call
//   {"class": PROG_ID, "method": NAME, "args": [V...], "settings": {PROPERTY: V},
//    "host": {"translate": "off" | "identity" | "numbered", "language": V, "company": V}}
// with values in the forms of `lemald run`: {"$object": "db"} is a connection on `db_url`,
// any other {"$object": NAME} a control of the screen called NAME. Settings are let (set for
// objects) in name order before the call. The answer holds what the class has of
// {"caption", "id", "headings": [{"text", "hidden"}], "statement", "binding": [[CONTROL,
// COLUMN]]}, the rows of a lookup that reads them itself (see rows_json), and always "value",
// "args", "fallbacks" (reasons of the steps that fell back), "log" (the interactions with the host
// and the sibling stand-ins) and "code". Raises RequestError: 404 for an unknown class or method,
// 400 for anything the member refuses (a value of the wrong kind, a property that is not a
// setting).
json make_call(const json& request, const std::string& db_url);

// Held around every use of the library: it is used from one thread at a time, as its hosts
// do.
std::mutex& library_mutex();

}  // namespace lemald
