set(FUZZ_LIBS tildo_tools)
