# Opening a text in the window needs the window: without the GUI this benchmark is not built.
if(TARGET tildo_gui)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  target_link_libraries(${name} PRIVATE tildo_gui tildo_app Qt6::Widgets)
else()
  set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
