# Interlex's readers of vCard and vCalendar files.
set(interlex_dir ${CMAKE_SOURCE_DIR}/interlex)
tolvar_fuzz_target(interlex_vcard LINK interlex_formats INCLUDES ${interlex_dir})
tolvar_fuzz_target(interlex_vcalendar LINK interlex_formats INCLUDES ${interlex_dir})
