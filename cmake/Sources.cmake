# Collects the C++ sources of one folder (and its subfolders) of the tree, so
# that a new source file needs no edit here.
function(varno_sources out folder)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(${out} ${found} PARENT_SCOPE)
endfunction()
