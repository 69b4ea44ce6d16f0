// The methods of the three classes grouped as the code groups them (one group per family of
// methods, that is per source file), with the settings properties each method reads. The
// explorer lists methods in this order and the catalog follows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lemald {

struct GroupedMethod {
  std::string_view name;
  std::string_view reads;  // settings properties the method reads, blank-separated
};

struct MethodGroup {
  std::string_view prog_id;
  std::string_view source;  // the family's source file
  std::string_view title;
  std::vector<GroupedMethod> methods;
};

const std::vector<MethodGroup>& method_groups();
// The names in a `reads` text.
std::vector<std::string_view> setting_names(std::string_view reads);

// What keeps the groups from matching the member tables: a method missing from the groups
// or listed twice, a name that is not a method, a setting that is not a settable property.
// Empty when they match.
std::vector<std::string> method_group_mismatches();

}  // namespace lemald
