#include "tools/lemald/connection_step.h"

#include "common/error.h"

namespace lemald {

// The data-access layer is not part of this build yet: both steps answer with an error.
lema::ObjectRef open_connection(const std::string&, const std::vector<std::string>&) {
  lema::raise(lema::ErrorCode::DataAccess, "database connections are not available in this build");
}

void close_connection(lema::Object&) {
  lema::raise(lema::ErrorCode::DataAccess, "database connections are not available in this build");
}

}  // namespace lemald

namespace lemald {
void print_recordset(const lema::Value&, std::ostream&) {}
}  // namespace lemald
