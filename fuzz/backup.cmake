# Backup's reader of backup files, with a few small files and payloads as seeds.
tolvar_fuzz_target(backup_archive LINK backup_core INCLUDES ${CMAKE_SOURCE_DIR}/backup)
