# The platform layer's readers of files: registry hives, resource containers and version records,
# and icon, cursor and bitmap files. The hive and container readers are the modules' own, reached
# through their private headers.
tolvar_fuzz_target(registry_hive LINK platform::registry INCLUDES ${CMAKE_SOURCE_DIR}/platform/registry/src)
tolvar_fuzz_target(resources LINK platform::resources rc_compiler INCLUDES ${CMAKE_SOURCE_DIR}/platform/resources/src)
tolvar_fuzz_target(user_images LINK platform::user platform::gdi)
# The clipboard's file, shared by the processes of a home.
tolvar_fuzz_target(clipboard_file LINK platform::controls)
# Dialog and menu templates, as the window manager reads them from resources.
tolvar_fuzz_target(user_templates LINK platform::user INCLUDES ${CMAKE_SOURCE_DIR}/platform/user/src)
