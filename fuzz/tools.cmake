# Glossa's string files and the resource compiler's scripts.
tolvar_fuzz_target(string_file LINK glossa_reader INCLUDES ${CMAKE_SOURCE_DIR}/glossa)
tolvar_fuzz_target(rc_script LINK rc_compiler platform::kernel)
