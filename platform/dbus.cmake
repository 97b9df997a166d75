# The desktop windows of cooperating programs over the D-Bus session bus.
add_library(tolvanet_desktop STATIC DesktopWindowsDBus.cpp)
target_include_directories(tolvanet_desktop PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tolvanet_desktop PUBLIC Qt6::Core Qt6::DBus)
