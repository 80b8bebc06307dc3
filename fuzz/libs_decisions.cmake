set(FUZZ_LIBS tildo_cli_lib)
