# The dictionary editor's window and the statistics window.
tildo_window_bench(${name} tildo_tools tildo_engine)
