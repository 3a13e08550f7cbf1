include(GoogleTest)

# tolvar_platform_module(<name> [DEPS <targets>...] [LIBS <system libs>...])
# A module of the platform layer: a shared library from src/*.cpp with its public headers in include/.
# Shared, so that per-process state (the last error, handle tables, named objects) exists once in a
# process however many of the suite's libraries use it.
function(tolvar_platform_module name)
  cmake_parse_arguments(ARG "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  add_library(platform_${name} SHARED ${sources})
  add_library(platform::${name} ALIAS platform_${name})
  target_include_directories(platform_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                              PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(platform_${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_LIBS})
endfunction()

# tolvar_test(<target> LABEL <unit|e2e|display> SOURCES <files>... [DEPS <targets>...])
# One GoogleTest program; each test case becomes a CTest test carrying the label.
function(tolvar_test target)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${TOLVAR_BIN_DIR}
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
endfunction()
