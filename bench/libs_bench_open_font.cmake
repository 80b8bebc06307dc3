# Opening a text in the window.
tildo_window_bench(${name})
