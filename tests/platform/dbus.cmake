# Tests of the desktop windows over D-Bus.
file(GLOB TOLVANET_DESKTOP_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_desktop*.cpp)
foreach(source ${TOLVANET_DESKTOP_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME platform_${name} SOURCES ${source} LIBS tolvanet_desktop)
endforeach()
