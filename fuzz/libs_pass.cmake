set(FUZZ_LIBS tildo_engine)
