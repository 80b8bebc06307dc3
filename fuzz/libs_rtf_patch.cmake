set(FUZZ_LIBS tildo_app)
