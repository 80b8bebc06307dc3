# The window's pass and its search.
tildo_window_bench(${name} tildo_engine)
