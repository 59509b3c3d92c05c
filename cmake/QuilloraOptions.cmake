# Compiler and linker settings shared by every target of the project.

add_library(quillora_options INTERFACE)
target_compile_definitions(quillora_options INTERFACE
  UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601
  CURL_STATICLIB)
target_compile_options(quillora_options INTERFACE
  -Wall -Wextra -Werror
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
  -ffunction-sections -fdata-sections)
target_link_options(quillora_options INTERFACE
  -static -static-libgcc -static-libstdc++ -Wl,--gc-sections
  $<$<CONFIG:MinSizeRel,Release>:-s>)

# quillora_add_test(NAME SOURCES ... LIBS ... [ARGS ...]): a GoogleTest suite run under wine64
# with ARGS on its command line.
function(quillora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quillora_test_support GTest::gmock GTest::gtest quillora_options)
  target_link_options(${name} PRIVATE -municode)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
