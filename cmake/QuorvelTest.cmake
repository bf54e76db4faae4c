# quorvel_add_test(NAME sources... LIBS libs...)
# One Qt Test executable registered with CTest, run on the offscreen platform
# with a fixed locale so that dates and numbers are the same everywhere, and
# settings of its own instead of the user's.
function(quorvel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test quorvel_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;QT_LOGGING_RULES=qt.multimedia*=false"
    TIMEOUT 300)
endfunction()
