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

# bkvp_add_test(NAME LABEL label SOURCES file... [LIBS lib...] [RESOURCE_LOCK lock]
#               [OWN_MAIN])
# One GoogleTest executable; every test case runs as its own CTest test.
# RESOURCE_LOCK keeps its cases from running at the same time as any other
# test holding the same lock (e.g. tests that start and look for programs of
# one name, which would otherwise find each other's). OWN_MAIN: the sources
# bring their own main (Qt tests create the application object first).
function(bkvp_add_test name)
  cmake_parse_arguments(ARG "OWN_MAIN" "LABEL;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(ARG_OWN_MAIN)
    set(main GTest::gtest)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE bkvp_testing ${ARG_LIBS} ${main})
  set(lock "")
  if(ARG_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABEL} ${lock})
endfunction()

# bkvp_add_page_module(NAME SOURCES file... [LIBS lib...])
# A client's companion page module, NAME ending in "Pages" (BkVpFilesPages):
# it links Qt and the page frame. Its client's service module registers its
# classes, so "bkvp register" leaves it alone and never loads Qt. Only the
# four entry points leave it, not the names of the libraries it links.
function(bkvp_add_page_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT name MATCHES "Pages$")
    message(FATAL_ERROR "page module ${name}: the name must end with \"Pages\"")
  endif()
  bkvp_add_module(${name} SOURCES ${ARG_SOURCES} LIBS bkvp_page_frame ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
endfunction()

# bkvp_add_page_core(NAME SOURCES file... [LIBS lib...])
# The pages of a client as a static Qt library, linked by its page module and
# by the tests.
function(bkvp_add_page_core name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  bkvp_add_core(${name} SOURCES ${ARG_SOURCES} LIBS bkvp_page_frame ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()
