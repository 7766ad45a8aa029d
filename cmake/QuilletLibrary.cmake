# quillet_add_library(<name> [DEPS <targets...>] [SOURCES <extra files...>])
# A static library of every .cpp file directly in the calling folder.
function(quillet_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources} ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE quillet_warnings)
endfunction()
