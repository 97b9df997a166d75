# Speech: time to the first sample, time to silence, dictionary lookups.
add_executable(bench_speech ${CMAKE_CURRENT_LIST_DIR}/bench_speech.cpp)
target_link_libraries(bench_speech PRIVATE tolvanet_speech)
target_include_directories(bench_speech PRIVATE ${PROJECT_SOURCE_DIR})
