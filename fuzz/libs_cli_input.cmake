set(FUZZ_LIBS tildo_batch)
