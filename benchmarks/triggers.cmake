# Latency of the reading triggers: key event to speech call, and typing at 20 keys a second.
add_executable(bench_triggers ${CMAKE_CURRENT_LIST_DIR}/bench_triggers.cpp)
target_link_libraries(bench_triggers PRIVATE tolvanet_triggers)
target_include_directories(bench_triggers PRIVATE ${PROJECT_SOURCE_DIR})
