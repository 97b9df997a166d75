# The music and blackboard converters on large documents.
add_executable(bench_music ${CMAKE_CURRENT_LIST_DIR}/bench_music.cpp)
target_link_libraries(bench_music PRIVATE tolvanet_tools)
target_include_directories(bench_music PRIVATE ${PROJECT_SOURCE_DIR})
