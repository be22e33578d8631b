# Screenshots: the capture of the foreground window and its PNG file. Included by both
# builds after the shared source lists.

# Logic that needs no platform (libpng and zlib are linked by the program and the tests).
set(WEIGHLET_SCREENSHOT_PORTABLE_SOURCES
  screenshot/png_writer.cpp
  screenshot/screenshot.cpp
)

# The Win32 screen capture (gdi32, user32) and file system.
set(WEIGHLET_SCREENSHOT_WIN32_SOURCES
  screenshot/screen_capture_win32.cpp
  screenshot/file_system_win32.cpp
)

if(NOT WIN32)
  enable_testing()
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  find_package(GTest REQUIRED)
  include(GoogleTest)

  # The screenshot logic on a scripted screen and clock, writing into a real temporary
  # directory through the POSIX file system.
  add_executable(screenshot_tests
    tests/unit/png_writer_test.cpp
    tests/unit/screenshot_test.cpp
    tests/unit/png_check.cpp
    ${WEIGHLET_SCREENSHOT_PORTABLE_SOURCES}
    common/local_date_time.cpp
    screenshot/file_system_posix.cpp
    tests/fakes/fake_clock.cpp
    tests/fakes/fake_screen_capture.cpp
  )
  target_include_directories(screenshot_tests PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(screenshot_tests PRIVATE PNG::PNG ZLIB::ZLIB GTest::gtest_main)
  gtest_discover_tests(screenshot_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60 LABELS native)

  # Prints how long the PNG writer takes for a desktop and a window; not a test.
  add_executable(png_bench bench/png_bench.cpp screenshot/png_writer.cpp)
  target_include_directories(png_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(png_bench PRIVATE PNG::PNG ZLIB::ZLIB)
endif()
