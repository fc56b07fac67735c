# tests/gui/<name>_test.cpp: Qt tests, run with QT_QPA_PLATFORM=offscreen.
narvo_add_tests(gui narvo_gui Qt6::Test)
# The program itself under Xvfb and a window manager.
if(TARGET desktop_x11_test)
  target_compile_definitions(desktop_x11_test PRIVATE NARVO_PROGRAM="$<TARGET_FILE:narvo>")
  target_link_libraries(desktop_x11_test PRIVATE ${NARVO_XCB_LIBRARY})
  add_dependencies(desktop_x11_test narvo)
endif()
