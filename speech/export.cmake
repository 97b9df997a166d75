# Audio export: the exchange with the rendering program, lame and the tool verbs.
if(TOLVANET_FUZZ)
  return()
endif()
find_package(PkgConfig REQUIRED)
pkg_check_modules(TOLVANET_EXPORT_ESPEAK REQUIRED IMPORTED_TARGET espeak-ng)
pkg_check_modules(TOLVANET_EXPORT_SPEECHD REQUIRED IMPORTED_TARGET speech-dispatcher)

add_library(tolvanet_export STATIC
  AudioExportProtocol.cpp
  AudioExportPrograms.cpp
  AudioExportVoices.cpp
  AudioExporter.cpp
  ExportToolVerbs.cpp
)
target_include_directories(tolvanet_export PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tolvanet_export PUBLIC tolvanet_appcore tolvanet_desktop Qt6::Core
  PRIVATE PkgConfig::TOLVANET_EXPORT_ESPEAK PkgConfig::TOLVANET_EXPORT_SPEECHD)
