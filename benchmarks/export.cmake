# Audio export: the rendering program against espeak-ng's own WAV output.
add_executable(bench_export ${CMAKE_CURRENT_LIST_DIR}/bench_export.cpp)
target_link_libraries(bench_export PRIVATE tolvanet_export)
add_dependencies(bench_export SonnerixaWav tolvanet-tool)
