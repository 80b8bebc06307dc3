# The review window.
tildo_window_bench(${name} tildo_engine)
