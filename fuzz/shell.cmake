# The shell's shortcut reader, with the shortcut fixtures as seeds in corpus/shell_lnk.
tolvar_fuzz_target(shell_lnk LINK platform_shell)
