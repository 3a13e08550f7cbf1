# The phone-access library's parsers of outside bytes.
tolvar_fuzz_target(handport_datafile LINK Handport platform::kernel INCLUDES ${PROJECT_SOURCE_DIR}/handport)
