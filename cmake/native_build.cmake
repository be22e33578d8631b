# The native build: portable logic, unit tests with fakes, the scale simulator, and the
# Wine tests that drive the Windows build.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The portable logic with fakes of every facility in place of the platform's.
add_library(weighlet_fakes STATIC
  ${WEIGHLET_PORTABLE_SOURCES}
  tests/fakes/fake_serial_port.cpp
  tests/fakes/fake_worker_thread.cpp
  tests/fakes/fake_code_page.cpp
  tests/fakes/fake_clock.cpp
  tests/fakes/fake_toolkit.cpp
  tests/fakes/fake_screenshot.cpp
  tests/fakes/call_log.cpp
)
target_include_directories(weighlet_fakes PUBLIC ${PROJECT_SOURCE_DIR})

add_executable(unit_tests
  tests/unit/common_test.cpp
  tests/unit/scale_exchange_test.cpp
  tests/unit/startup_test.cpp
  tests/unit/event_loop_test.cpp
  tests/unit/polling_worker_test.cpp
)
target_link_libraries(unit_tests PRIVATE weighlet_fakes GTest::gtest_main GTest::gmock)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60 LABELS native)

# The real threads facility, tested on real threads.
add_executable(worker_thread_tests
  tests/unit/worker_thread_test.cpp
  ${WEIGHLET_THREAD_SOURCES}
  scale/fine_timer_posix.cpp
)
target_include_directories(worker_thread_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(worker_thread_tests PRIVATE GTest::gtest_main Threads::Threads)
gtest_discover_tests(worker_thread_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60 LABELS native)

if(EXISTS ${PROJECT_SOURCE_DIR}/tools/scale-sim/CMakeLists.txt)
  add_subdirectory(tools/scale-sim)
endif()

include(cmake/wine_tests.cmake)

add_test(NAME format COMMAND ${PROJECT_SOURCE_DIR}/tests/check_format.sh)
set_tests_properties(format PROPERTIES LABELS native)
