# Tests of audio export and of the rendering program.
file(GLOB TOLVANET_EXPORT_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_export*.cpp)
foreach(source ${TOLVANET_EXPORT_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME speech_${name} SOURCES ${source} LIBS tolvanet_export sonnerixawav_core)
  # The end-to-end tests run the rendering program and tolvanet-tool from the same folder.
  add_dependencies(speech_${name} SonnerixaWav tolvanet-tool)
  # Windows register on the one session bus: tests that look them up by title take turns.
  set_tests_properties(speech_${name} PROPERTIES RESOURCE_LOCK session-bus-windows)
endforeach()
