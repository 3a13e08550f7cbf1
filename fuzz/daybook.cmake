# Daybook's reader of its documents.
tolvar_fuzz_target(daybook_document LINK daybook_core)
