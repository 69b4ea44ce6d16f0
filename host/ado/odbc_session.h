// Sessions on ODBC data sources, through the driver manager's C API: it lets the library set
// the login and query timeouts before the driver needs them and read text columns of any
// declared size in pieces, so that memory follows the data.
#pragma once

#include <memory>

#include "host/ado/backend.h"
#include "host/ado/connection_string.h"

namespace lema::ado::detail {

// Connects to the data source of `target` (an ODBC target). Raises Error(DataAccess) with the
// driver's diagnostics when the connection cannot be made.
std::unique_ptr<Session> open_odbc_session(const ConnectionTarget& target);

}  // namespace lema::ado::detail
