# Tabulon's import engine fed a CSV file's raw bytes, with the separator, header option, mapping and
# field kinds taken from the input's first bytes.
tolvar_fuzz_target(tabulon_import LINK tabulon_core)
