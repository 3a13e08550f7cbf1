# The kit's menu template walk and toolbar record reader, with menu templates and toolbar records as
# seeds in corpus/uikit_menu (the first byte picks the reader, see uikit_menu.cpp).
tolvar_fuzz_target(uikit_menu LINK uikit)
