# Third-party libraries, all static, from the dependency cache (scripts/build-deps.sh)
# and, for zlib, from Debian's libz-mingw-w64-dev.

find_library(QUILLORA_ZLIB NAMES libz.a REQUIRED)
find_path(QUILLORA_ZLIB_INCLUDE zlib.h REQUIRED)
add_library(quillora::zlib STATIC IMPORTED)
set_target_properties(quillora::zlib PROPERTIES
  IMPORTED_LOCATION "${QUILLORA_ZLIB}"
  INTERFACE_INCLUDE_DIRECTORIES "${QUILLORA_ZLIB_INCLUDE}")
# curl's package looks zlib up itself; point it at the static archive.
set(ZLIB_LIBRARY "${QUILLORA_ZLIB}" CACHE FILEPATH "" FORCE)
set(ZLIB_INCLUDE_DIR "${QUILLORA_ZLIB_INCLUDE}" CACHE PATH "" FORCE)

find_package(CURL CONFIG REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
find_package(pugixml CONFIG REQUIRED)

find_library(QUILLORA_7ZDEC NAMES lib7zdec.a REQUIRED)
find_path(QUILLORA_7ZDEC_INCLUDE 7z/7z.h REQUIRED)
add_library(quillora::7zdec STATIC IMPORTED)
set_target_properties(quillora::7zdec PROPERTIES
  IMPORTED_LOCATION "${QUILLORA_7ZDEC}"
  INTERFACE_INCLUDE_DIRECTORIES "${QUILLORA_7ZDEC_INCLUDE}/7z")

if(QUILLORA_BUILD_TESTS)
  find_package(GTest CONFIG REQUIRED)
endif()
