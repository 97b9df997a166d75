# The reading triggers and the one-hand keyboard that the editor window attaches.
add_library(tolvanet_triggers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/KeyCodes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OneHandKeyboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReadingTriggers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpokenWordHighlight.cpp
)
target_link_libraries(tolvanet_triggers PUBLIC tolvanet_appcore Qt6::Widgets)
