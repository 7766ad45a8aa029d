# GoogleTest for both builds. The native build uses the system's GoogleTest; the Windows
# build compiles it from Debian's source package with the cross compiler.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The source package defines the GTest:: names itself.
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # One Wine server for the whole run, started before the first test and stopped after
  # the last: without it every test waits seconds for Wine's helper processes.
  add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/wine-prefix start ${QUILLET_WINEPREFIX})
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/wine-prefix stop ${QUILLET_WINEPREFIX})
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# quillet_add_test_suite(NAME <exe> SOURCES <files...> LIBS <libs...>)
# One executable per folder of tests. Natively each TEST is its own CTest test; under
# Wine each executable is one CTest test, because every Wine start costs a fraction of a
# second.
function(quillet_add_test_suite)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gtest quillet_warnings)
  target_compile_definitions(${ARG_NAME} PRIVATE
    QUILLET_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUILLET_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME win.${ARG_NAME} COMMAND ${ARG_NAME} --gtest_brief=1)
    set_tests_properties(win.${ARG_NAME} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
  else()
    gtest_discover_tests(${ARG_NAME} TEST_PREFIX "${ARG_NAME}." DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
