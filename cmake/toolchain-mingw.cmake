# Cross toolchain for mingw-w64 (posix thread model). QUILLORA_TARGET picks the triple:
# i686 (the shipped program) or x86_64 (the build that runs under wine64).
if(NOT QUILLORA_TARGET)
  set(QUILLORA_TARGET "$ENV{QUILLORA_TARGET}")
endif()
if(NOT QUILLORA_TARGET)
  set(QUILLORA_TARGET x86_64)
endif()
# try_compile projects re-read this file: pass the choice on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLORA_TARGET QUILLORA_DEPS_DIR)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUILLORA_TARGET})
set(_triple ${QUILLORA_TARGET}-w64-mingw32)

set(CMAKE_C_COMPILER   /usr/bin/${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${_triple}-windres)
set(CMAKE_AR           /usr/bin/${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${_triple}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP        /usr/bin/${_triple}-strip CACHE FILEPATH "")

if(NOT QUILLORA_DEPS_DIR)
  set(QUILLORA_DEPS_DIR "$ENV{QUILLORA_DEPS_DIR}")
endif()
if(NOT QUILLORA_DEPS_DIR)
  set(QUILLORA_DEPS_DIR "$ENV{HOME}/.cache/quillora/deps")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${QUILLORA_DEPS_DIR}/${QUILLORA_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
