# The command line's piece-by-piece run of the character conversions.
tolvanet_add_test(NAME app_streamedcommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_streamedcommands.cpp
  LIBS tolvanet_toolrun tolvanet_textcommands)
