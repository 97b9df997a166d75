# Tests of the speech window, the language window and the reading-option store.
file(GLOB SPEECHWIN_TESTS CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/test_formtts*.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_languages*.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_readingoptions*.cpp)
foreach(source ${SPEECHWIN_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME speech_${name} SOURCES ${source} LIBS tolvanet_speechwindow Qt6::Widgets)
endforeach()
