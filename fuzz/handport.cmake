# The phone-access library's parsers of outside bytes.
tolvar_fuzz_target(handport_datafile LINK Handport platform::kernel platform::net INCLUDES ${PROJECT_SOURCE_DIR}/handport)
