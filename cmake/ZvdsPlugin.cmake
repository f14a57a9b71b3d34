# zvds_add_plugin(<target> [WITH_MESSAGE_1304] SOURCES <files>...)
# One deliverable: the family's own sources, the shared exports and the core.
# WITH_MESSAGE_1304: the plug-in owns message 1304 (its Windows string table
# holds it; on Linux the driver's hasMessage1304 says so).

function(zvds_add_plugin target)
  cmake_parse_arguments(PLUGIN "WITH_MESSAGE_1304" "" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${PLUGIN_SOURCES} $<TARGET_OBJECTS:zvds_exports>)
  target_link_libraries(${target} PRIVATE zvds_core)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/core)
  if(WIN32)
    # dso_<family>.dll, with its exports from a module-definition file and
    # its message table as a STRINGTABLE resource.
    set_target_properties(${target} PROPERTIES PREFIX "")
    set(ZVDS_DEF_TARGET ${target})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/plugin-exports.def.in
      ${CMAKE_CURRENT_BINARY_DIR}/${target}.def @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.def
      ${PROJECT_SOURCE_DIR}/core/win32/Messages.rc)
    if(PLUGIN_WITH_MESSAGE_1304)
      target_compile_definitions(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:ZVDS_WITH_1304>)
    endif()
    # The .def names the undecorated names; they resolve to the __stdcall
    # symbols (ZVDS_Open@8 and so on) without a warning.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
    endif()
  else()
    # Resolve everything now, and keep the core's and runtime's symbols private
    # (header templates of the runtime would otherwise slip out as weak symbols).
    target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL
      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
  endif()
  set_property(GLOBAL APPEND PROPERTY ZVDS_PLUGINS ${target})
endfunction()
