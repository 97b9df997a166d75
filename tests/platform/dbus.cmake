# Tests of the desktop windows over D-Bus.
file(GLOB TOLVANET_DESKTOP_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_desktop*.cpp)
foreach(source ${TOLVANET_DESKTOP_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME platform_${name} SOURCES ${source} LIBS tolvanet_desktop)
  # Windows register on the one session bus: tests that look them up by title take turns.
  set_tests_properties(platform_${name} PROPERTIES RESOURCE_LOCK session-bus-windows)
endforeach()
