# One helper per kind of target, so that every folder's CMakeLists stays a list of files.
#
# All targets link vexa_common and share one precompiled header; giving them the same Qt,
# OpenSceneGraph and Boost set keeps the compile flags equal, which the shared header needs.

function(vexa_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC vexa_common ${ARG_LINK})
  target_precompile_headers(${name} REUSE_FROM vexa_pch)
endfunction()

function(vexa_add_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE vexa_common ${ARG_LINK})
  target_precompile_headers(${name} REUSE_FROM vexa_pch)
endfunction()

# A Qt Test program registered with CTest. Tests that open windows or GL contexts need an X
# server; the README runs ctest under xvfb-run.
function(vexa_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  vexa_add_executable(${name} SOURCES ${ARG_SOURCES} LINK Qt5::Test ${ARG_LINK})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;VEXA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    TIMEOUT 600)
endfunction()
