# tests/gui/<name>_test.cpp: Qt tests, run with QT_QPA_PLATFORM=offscreen.
narvo_add_tests(gui narvo_gui Qt6::Test)
