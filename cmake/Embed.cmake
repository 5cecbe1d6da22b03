# Embeds the files under resources/ into every program and test linked with
# the game. A small generator, built first, compiles the folder (string tables
# into string blocks, bitmap files into bitmaps without their file header,
# other files as they are) and writes one C++ source of byte arrays that
# registers them as the program's resource table when the program starts.
#
# varno_embed_resources(<target> <folder>) makes the object library <target>
# from that source. Link its objects into the consumers directly (not through
# a static archive, which would drop an object that nothing refers to):
#   target_link_libraries(lib INTERFACE <target> $<TARGET_OBJECTS:<target>>)
function(varno_embed_resources target dir)
  if(NOT TARGET varno_embed)
    add_executable(varno_embed
      ${CMAKE_SOURCE_DIR}/cmake/embed/embed_resources.cpp
      ${CMAKE_SOURCE_DIR}/platform/resources/rescompile.cpp)
    target_include_directories(varno_embed PRIVATE ${CMAKE_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${dir}/*)
  set(generated ${CMAKE_BINARY_DIR}/generated/${target}.cpp)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND varno_embed ${dir} ${generated}
    DEPENDS varno_embed ${inputs}
    COMMENT "Embedding the resources of ${dir}"
    VERBATIM)
  add_library(${target} OBJECT ${generated})
  target_link_libraries(${target} PUBLIC platform)
endfunction()
