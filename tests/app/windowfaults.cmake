# What a user meets in the window, put together with recording engines.
tolvanet_add_test(NAME app_windowfaults SOURCES test_windowfaults.cpp LIBS tolvanet_appgui Qt6::DBus)
