# The embeddable dialog's template editor (the font swap for large system fonts), with dialog
# templates of both forms as seeds in corpus/uikit_dialog_font.
tolvar_fuzz_target(uikit_dialog_font LINK uikit)
