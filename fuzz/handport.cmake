# The phone-access library's readers of the phone's replies and files.
set(handport_dir ${CMAKE_SOURCE_DIR}/handport)
tolvar_fuzz_target(reply_fields LINK Handport INCLUDES ${handport_dir})
tolvar_fuzz_target(dial_numbers LINK Handport INCLUDES ${handport_dir})
tolvar_fuzz_target(phone_text LINK Handport INCLUDES ${handport_dir})
tolvar_fuzz_target(link_engine LINK Handport handport_test_support INCLUDES ${handport_dir})
tolvar_fuzz_target(record_stores LINK Handport handport_test_support
  SOURCES ${handport_dir}/tests/support/FlashFilePhone.cpp INCLUDES ${handport_dir})
tolvar_fuzz_target(handport_datafile LINK Handport platform::kernel platform::net INCLUDES ${handport_dir})
