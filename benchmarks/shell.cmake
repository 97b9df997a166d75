add_executable(bench_shell ${CMAKE_CURRENT_LIST_DIR}/bench_shell.cpp)
target_link_libraries(bench_shell PRIVATE tolvanet_appgui)
