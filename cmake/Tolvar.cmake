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
  add_custom_command(
    OUTPUT ${container}
    COMMAND $<TARGET_FILE:rc> -I ${script_dir} -I ${CMAKE_CURRENT_SOURCE_DIR}
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
