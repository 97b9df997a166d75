# Audio export: the exchange with the rendering program, lame and the tool verbs.
if(TOLVANET_FUZZ)
  return()
endif()
add_library(tolvanet_export STATIC
  AudioExportProtocol.cpp
  AudioExportPrograms.cpp
  AudioExporter.cpp
  ExportToolVerbs.cpp
)
target_include_directories(tolvanet_export PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tolvanet_export PUBLIC tolvanet_speechcore tolvanet_core tolvanet_desktop tolvanet_voicecatalog Qt6::Core)
