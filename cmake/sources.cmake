# The library's sources and its data-access layer (SOCI with its SQLite and ODBC backends),
# shared by the main build and the fuzz project. LEMA_ROOT names the source tree.
#   LEMA_SOURCES          the library's C++ sources (the C interface's are added by the main build)
#   LEMA_TESTING_SOURCES  the recording stand-ins (lema_testing: never part of the library)
#   LEMA_DATA_ACCESS_INCLUDES / _LIBRARIES  what compiling and linking the data-access layer needs
file(GLOB_RECURSE LEMA_SOURCES CONFIGURE_DEPENDS
  ${LEMA_ROOT}/common/*.cpp
  ${LEMA_ROOT}/automation/*.cpp
  ${LEMA_ROOT}/host/*.cpp
  ${LEMA_ROOT}/lookup/*.cpp
  ${LEMA_ROOT}/decode/*.cpp
  ${LEMA_ROOT}/connect/*.cpp
  ${LEMA_ROOT}/server/*.cpp)
file(GLOB LEMA_TESTING_SOURCES CONFIGURE_DEPENDS ${LEMA_ROOT}/testing/*.cpp)

# Debian ships no CMake package for SOCI (its headers also need Boost's); SQLite and unixODBC
# have pkg-config files. SOCI serves the embedded SQLite backend; ODBC sessions use the driver
# manager's C API directly (login and query timeouts, long text read in pieces).
find_path(SOCI_INCLUDE_DIR soci/soci.h REQUIRED)
find_path(LEMA_BOOST_INCLUDE_DIR boost/optional.hpp REQUIRED)
find_library(SOCI_CORE_LIBRARY soci_core REQUIRED)
find_library(SOCI_SQLITE3_LIBRARY soci_sqlite3 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LEMA_SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(LEMA_ODBC REQUIRED IMPORTED_TARGET odbc)

set(LEMA_DATA_ACCESS_INCLUDES ${SOCI_INCLUDE_DIR} ${LEMA_BOOST_INCLUDE_DIR})
set(LEMA_DATA_ACCESS_LIBRARIES ${SOCI_SQLITE3_LIBRARY} ${SOCI_CORE_LIBRARY}
    PkgConfig::LEMA_SQLITE3 PkgConfig::LEMA_ODBC ${CMAKE_DL_LIBS})

# SOCI's libraries do not export the type information that the sanitizer's vptr check needs:
# sanitized builds leave that check out of the source that calls SOCI.
macro(lema_no_vptr_check)
  set_source_files_properties(${LEMA_ROOT}/host/ado/backend.cpp PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endmacro()
