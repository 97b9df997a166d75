# Speech: time to the first sample, time to silence, dictionary lookups.
add_executable(bench_speech ${CMAKE_CURRENT_LIST_DIR}/bench_speech.cpp)
target_link_libraries(bench_speech PRIVATE tolvanet_speech)
target_include_directories(bench_speech PRIVATE ${PROJECT_SOURCE_DIR})

# Speech heard at the sound server: key to sound, and say against the audio length.
add_executable(bench_heard ${CMAKE_CURRENT_LIST_DIR}/bench_heard.cpp)
target_link_libraries(bench_heard PRIVATE tolvanet_appgui Qt6::Test)
target_include_directories(bench_heard PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(bench_heard tolvanet-tool)
