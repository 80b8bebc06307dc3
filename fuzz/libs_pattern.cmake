set(FUZZ_LIBS tildo_regex)
