# The link service's readers of bytes from sockets and serial lines.
tolvar_fuzz_target(link_packets LINK link_protocol)
tolvar_fuzz_target(pte_frames LINK link_protocol)
