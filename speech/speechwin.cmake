# The speech window, the language window and the caption table.
if(NOT TOLVANET_FUZZ)
  add_library(tolvanet_speechwindow STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AccessibleLabels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChoiceList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormLlenguatge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormTTS.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InterfaceLanguages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReadingOptionsStore.cpp
  )
  target_include_directories(tolvanet_speechwindow PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tolvanet_speechwindow PUBLIC tolvanet_core Qt6::Widgets)
endif()
