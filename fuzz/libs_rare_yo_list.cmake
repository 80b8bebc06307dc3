set(FUZZ_LIBS tildo_dict)
