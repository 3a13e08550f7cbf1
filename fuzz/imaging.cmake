# The image library's decoders, one target each, with seed pictures in corpus/<target>.
tolvar_fuzz_target(imaging_png LINK platform_imaging)
tolvar_fuzz_target(imaging_jpeg LINK platform_imaging)
tolvar_fuzz_target(imaging_gif LINK platform_imaging)
tolvar_fuzz_target(imaging_bmp LINK platform_imaging)
