# tolvar_kit_library(<name> SOURCES <files>... EXPORTS <version script> [RESOURCES <script.rc>]
#                    [DEPS <targets>...])
#
# A shared library built with the kit (Interlex and Tabulon), loaded by a program that is built with
# the kit as well. Each of the two has its own copy of the kit: its classes and their run-time
# records, message maps, the string loader's state, and its own resources. So the library exports
# only what its version script names, its C exports; every other symbol, the kit's and the class
# library's inline and template code included, is local to the library. No kit class, static or
# function of one copy then binds to the other's, and unloading the library leaves nothing of the
# program's copy pointing into it.
#
# The version script names the exports and makes the rest local, as glossa/Glossa.map does:
#     { global: KitLib_ShowMessage; local: *; };
# Each exported function switches to the library's module state first,
#     AFX_MANAGE_STATE(AfxGetStaticModuleState());
# so that the kit finds the library's own resources (its copy of uikit/res/MessageBox.rc among
# them). A string loader in the library binds Glossa under the program's name: the program bound
# first, so the library's bind is refused (183), it reads the program's texts in the program's
# language, and leaves the binding open when it is unloaded.
function(tolvar_kit_library name)
  cmake_parse_arguments(ARG "" "EXPORTS;RESOURCES" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_EXPORTS)
    message(FATAL_ERROR "tolvar_kit_library: ${name} needs EXPORTS <version script>")
  endif()
  get_filename_component(map ${ARG_EXPORTS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${name} SHARED ${ARG_SOURCES})
  # The script alone decides what is exported: a function it names needs no attribute.
  set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map})
  target_link_options(${name} PRIVATE "LINKER:--version-script=${map}")
  target_link_libraries(${name} PRIVATE uikit ${ARG_DEPS})
  if(ARG_RESOURCES)
    tolvar_add_resources(${name} ${ARG_RESOURCES})
  endif()
endfunction()
