// The library's clock: "today" is the pinned date when the host pinned one, else the
// machine's local date.
#pragma once

#include <optional>

#include "common/value.h"

namespace lema::host {

Date today();
void pin_today(std::optional<Date> date);

}  // namespace lema::host
