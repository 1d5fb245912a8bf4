# tatamix_test(NAME LABEL unit|gl|e2e|fuzz SOURCES ... LIBS ...)
# Builds one GoogleTest executable and registers it with CTest under its label.
# GL and e2e tests start an X server of their own (tests/support/VirtualDisplay.h) and
# draw with Mesa's software rasteriser, so plain `ctest` works without a display.
function(tatamix_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  if(TARGET tatamix_test_support)
    target_link_libraries(${name} PRIVATE tatamix_test_support)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TATAMIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TATAMIX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS ${T_LABEL}
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "LIBGL_ALWAYS_SOFTWARE=1;TATAMIX_BIN=$<TARGET_FILE:tatamix>")
endfunction()
