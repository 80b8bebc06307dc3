target_link_libraries(${name} PRIVATE tildo_engine tildo_batch)
