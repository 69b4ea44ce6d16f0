// Names by which the library creates the components that live outside it: the two sibling
// components and the document-graphics class (the host registers them).
#pragma once

#include <string_view>

namespace lema::host {

inline constexpr std::string_view kSiblingLookup = "PIRO_LOOKUPDECODE.CLSCO_LOOKUP";
inline constexpr std::string_view kSiblingConnect = "PIRO_CONNECT.CLSCG_CONNECT";
inline constexpr std::string_view kDocumentGraphics = "DocumentGraphics";

}  // namespace lema::host
