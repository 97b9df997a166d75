# The program driven by the keyboard alone, and as a screen reader reads it.
tolvanet_add_test(NAME app_keyboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_keyboard.cpp LIBS tolvanet_appgui)
# Its exports look the rendering program's window up on the session bus.
set_tests_properties(app_keyboard PROPERTIES RESOURCE_LOCK session-bus-windows)
tolvanet_add_test(NAME app_accessibility SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_accessibility.cpp LIBS tolvanet_appgui)
