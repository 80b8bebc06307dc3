set(FUZZ_LIBS tildo_formats)
