# tolvanet_add_test(NAME name SOURCES files... LIBS targets...)
# One QtTest executable per unit, run by CTest (off screen unless TOLVANET_QT_PLATFORM says otherwise), with the test doubles at hand.
function(tolvanet_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test tolvanet_testfakes ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  # Off screen unless the run names another window system (CI's Wayland pass).
  add_test(NAME ${T_NAME}
    COMMAND sh -c "QT_QPA_PLATFORM=\${TOLVANET_QT_PLATFORM:-offscreen} exec \"\$0\" \"\$@\"" $<TARGET_FILE:${T_NAME}>)
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "TOLVANET_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    TIMEOUT 300)
endfunction()

# tolvanet_add_fuzzer(NAME name SOURCES files... LIBS targets...)
function(tolvanet_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_include_directories(${F_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
