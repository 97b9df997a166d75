# Tests of audio export and of the rendering program.
file(GLOB TOLVANET_EXPORT_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_export*.cpp)
foreach(source ${TOLVANET_EXPORT_TESTS})
  get_filename_component(name ${source} NAME_WE)
  tolvanet_add_test(NAME speech_${name} SOURCES ${source} LIBS tolvanet_export sonnerixawav_core)
  # The end-to-end tests run the rendering program from the same folder.
  add_dependencies(speech_${name} SonnerixaWav)
endforeach()
