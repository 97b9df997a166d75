# Tests of the reading triggers and the one-hand keyboard.
file(GLOB TOLVANET_TRIGGER_TESTS CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/test_triggers*.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_onehand*.cpp)
foreach(source ${TOLVANET_TRIGGER_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME app_${name} SOURCES ${source} LIBS tolvanet_triggers)
endforeach()
