# zvds_add_plugin(<target> SOURCES <files>...)
# One deliverable: the family's own sources, the shared exports and the core.
function(zvds_add_plugin target)
  cmake_parse_arguments(PLUGIN "" "" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${PLUGIN_SOURCES} $<TARGET_OBJECTS:zvds_exports>)
  target_link_libraries(${target} PRIVATE zvds_core)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/core)
  if(NOT WIN32)
    # Resolve everything now, and keep the core's and runtime's symbols private
    # (header templates of the runtime would otherwise slip out as weak symbols).
    target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL
      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
  endif()
  set_property(GLOBAL APPEND PROPERTY ZVDS_PLUGINS ${target})
endfunction()
