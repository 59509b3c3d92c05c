# quillora_add_child_folders(): adds every direct subfolder that has a CMakeLists.txt, so
# that each test area or tool lives in a folder of its own.
function(quillora_add_child_folders)
  file(GLOB lists CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt")
  list(SORT lists)
  foreach(list_file IN LISTS lists)
    get_filename_component(folder "${list_file}" DIRECTORY)
    add_subdirectory("${folder}")
  endforeach()
endfunction()
