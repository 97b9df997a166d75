# The speed of the whole-text tools on a large document, against plain Qt passes,
# the editor widget and the recode program.
add_executable(bench_tools ${CMAKE_CURRENT_LIST_DIR}/bench_tools.cpp)
target_link_libraries(bench_tools PRIVATE tolvanet_appgui tolvanet_tools Qt6::Widgets)
# The command line is timed as a whole process beside recode.
add_dependencies(bench_tools tolvanet-tool)
target_include_directories(bench_tools PRIVATE ${PROJECT_SOURCE_DIR})
