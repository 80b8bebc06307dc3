# The window's pass and its search.
tildo_window_bench(${name} tildo_engine)
# A document of the test data is the model of the DOCX opened.
target_compile_definitions(${name} PRIVATE TILDO_TEST_DATA_DIR="${TILDO_TEST_DATA_DIR}")
