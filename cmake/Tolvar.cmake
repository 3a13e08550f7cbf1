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

# Flags for a test program's own sources only (TOLVAR_TEST_FLAGS, e.g. "-O0"): the code under test
# keeps the preset's flags. The test framework's assertions expand into much code that the optimiser
# and the sanitizers then work through: in the check preset a test file compiles in about half the
# time at -O0, and the tests, which mostly wait for what they drive, run about as fast.
set(TOLVAR_TEST_FLAGS "" CACHE STRING "Extra compile flags for the test programs' own sources")
function(tolvar_test_flags target)
  if(TOLVAR_TEST_FLAGS)
    separate_arguments(flags NATIVE_COMMAND "${TOLVAR_TEST_FLAGS}")
    target_compile_options(${target} PRIVATE ${flags})
  endif()
endfunction()

# The test framework's header costs about as much to parse as a whole test file: it is precompiled
# once, and every test program reuses that one header.
option(TOLVAR_TEST_PCH "Precompile the test framework's header once for every test program" ON)
function(tolvar_use_test_pch target)
  if(NOT TOLVAR_TEST_PCH)
    return()
  endif()
  if(NOT TARGET tolvar_test_pch)
    # A test program of its own, so that the header is built with exactly the test programs' flags.
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/tolvar_test_pch.cpp
         CONTENT "// Generated: the program that carries the test programs' precompiled header.\nint main() { return 0; }\n")
    add_executable(tolvar_test_pch ${CMAKE_BINARY_DIR}/tolvar_test_pch.cpp)
    target_link_libraries(tolvar_test_pch PRIVATE GTest::gtest Threads::Threads)
    tolvar_test_flags(tolvar_test_pch)
    target_precompile_headers(tolvar_test_pch PRIVATE <gtest/gtest.h>)
    tolvar_pch_launcher(tolvar_test_pch)
  endif()
  target_precompile_headers(${target} REUSE_FROM tolvar_test_pch)
  tolvar_pch_launcher(${target})
endfunction()

# A compiler cache reuses the results of files built with a precompiled header only when it is told
# that the header's defines and time stamps may be trusted (it hashes the header itself).
function(tolvar_pch_launcher target)
  if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    set_property(TARGET ${target} PROPERTY CXX_COMPILER_LAUNCHER
      ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
endfunction()

# tolvar_test(<target> LABEL <unit|e2e|display> SOURCES <files>... [DEPS <targets>...])
# One GoogleTest program; each test case becomes a CTest test carrying the label.
function(tolvar_test target)
  cmake_parse_arguments(ARG "SERIAL" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES TOLVAR_TEST_PROGRAM TRUE)
  tolvar_test_flags(${target})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main Threads::Threads)
  tolvar_use_test_pch(${target})
  # Listing a sanitized program's tests can take a while on a loaded machine; the default of 5 s is
  # not enough there, and a listing that times out fails the whole test run.
  # Every test runs in a home of the build tree unless it makes one of its own, so that nothing a
  # test does (settings, named objects, logs, a program it starts) lands in the person's own home.
  # SERIAL: tests that own the whole X screen (a window manager of their own) run one at a time.
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${TOLVAR_BIN_DIR}
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ${serial}
               ENVIRONMENT "TOLVAR_HOME=${CMAKE_BINARY_DIR}/test-homes/${target}")
endfunction()

# tolvar_add_resources(<target> <file.rc>)
# Compiles a resource script with the resource compiler `rc` and places the result in the section
# ".tolvar_rsrc" of the target's file, where the resource runtime finds it (per module at run time,
# and from any file on disk for GetFileVersionInfo). The script is recompiled when it, a header it
# includes or a file it references (bitmaps, icons) changes. One script per target.
function(tolvar_add_resources target script)
  get_filename_component(script_path ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(script_dir ${script_path} DIRECTORY)
  get_target_property(attached ${target} TOLVAR_RESOURCE_SCRIPT)
  if(attached)
    message(FATAL_ERROR "tolvar_add_resources: ${target} already has ${attached}")
  endif()
  set_target_properties(${target} PROPERTIES TOLVAR_RESOURCE_SCRIPT ${script_path})

  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.rsrc)
  set(container ${out_dir}/${target}.res)
  set(depfile ${out_dir}/${target}.res.d)
  set(carrier ${out_dir}/${target}_rsrc.cpp)
  file(MAKE_DIRECTORY ${out_dir})
  # A test program's copy of a program's resources says so (TOLVAR_TEST_PROGRAM), so that a script
  # can leave out what marks the program itself, such as the version record's suite mark.
  get_target_property(test_program ${target} TOLVAR_TEST_PROGRAM)
  set(defines)
  if(test_program)
    set(defines -D TOLVAR_TEST_PROGRAM)
  endif()
  add_custom_command(
    OUTPUT ${container}
    COMMAND $<TARGET_FILE:rc> -I ${script_dir} -I ${CMAKE_CURRENT_SOURCE_DIR} ${defines}
      -o ${container} --depfile ${depfile} ${script_path}
    DEPENDS rc ${script_path}
    DEPFILE ${depfile}
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  # The container goes into the file as a section of its own, through the assembler's .incbin, so
  # that it is present on disk (readable from any file) without being mapped into memory.
  file(CONFIGURE OUTPUT ${carrier} CONTENT
       "// Generated: carries ${script} into the section .tolvar_rsrc.\n__asm__(\".pushsection .tolvar_rsrc,\\\"\\\",@progbits\\n.incbin \\\"${container}\\\"\\n.popsection\\n\");\n"
       @ONLY)
  set_source_files_properties(${carrier} PROPERTIES OBJECT_DEPENDS ${container})
  set_source_files_properties(${container} PROPERTIES HEADER_FILE_ONLY TRUE)
  target_sources(${target} PRIVATE ${carrier} ${container})
endfunction()
