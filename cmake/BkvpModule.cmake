# bkvp_add_module(NAME SOURCES file... [LIBS lib...])
# A component module: a shared object named NAME.so beside the tool, loaded
# with dlopen, exporting only the four Dll* entry points.
function(bkvp_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE bkvp_contract ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  # Modules built for tests stay out of an installation.
  if(NOT CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests(/|$)")
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${name} LIBRARY DESTINATION ${BKVP_INSTALL_MODULE_DIR})
  endif()
endfunction()

# bkvp_add_core(NAME SOURCES file... [LIBS lib...])
# The code of a module as a static library, so that unit tests can link it.
function(bkvp_add_core name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PUBLIC bkvp_contract ${ARG_LIBS})
endfunction()

# bkvp_add_test(NAME LABEL label SOURCES file... [LIBS lib...] [RESOURCE_LOCK lock])
# One GoogleTest executable; every test case runs as its own CTest test.
# RESOURCE_LOCK keeps its cases from running at the same time as any other
# test holding the same lock (e.g. tests that start and look for programs of
# one name, which would otherwise find each other's).
function(bkvp_add_test name)
  cmake_parse_arguments(ARG "" "LABEL;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE bkvp_testing ${ARG_LIBS} GTest::gtest_main)
  set(lock "")
  if(ARG_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABEL} ${lock})
endfunction()
