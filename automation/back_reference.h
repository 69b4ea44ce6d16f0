// A reference to an object that does not keep it alive: handed to a component that
// would otherwise hold its creator in a cycle (the connector's sibling holds the connector
// this way). Calls are forwarded while the target lives and fail afterwards.
#pragma once

#include "common/object.h"

namespace lema {

ObjectRef make_back_reference(const Object& target);

}  // namespace lema
