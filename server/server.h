// The in-process server frame: the library's own classes, registered under the names by
// which hosts create them. The frame also defines Registry::global() (declared with the
// registry, which knows no concrete class): the process-wide registry starts with them.
#pragma once

#include "automation/registry.h"

namespace lema::server {

// Registers the three classes and DateTextConverter on `reg`.
void register_own_classes(Registry& reg);

}  // namespace lema::server
