# Mediary's sniffing of a file's content into a media kind, with seeds of every kind it knows.
tolvar_fuzz_target(mediary_sniff LINK mediary_core)
