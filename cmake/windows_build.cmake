# The Windows build: one static weighlet.exe, and the test programs that run under Wine.
if(WEIGHLET_MINGW_PREFIX)
  list(APPEND CMAKE_PREFIX_PATH ${WEIGHLET_MINGW_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH ${WEIGHLET_MINGW_PREFIX})
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_library(WEIGHLET_PNG_LIBRARY NAMES libpng16.a libpng.a REQUIRED)
find_path(WEIGHLET_PNG_INCLUDE png.h REQUIRED)

if(MINGW)
  # One self-contained exe: the C and C++ runtimes and winpthreads linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# The portable logic with the Win32 facilities it talks to.
add_library(weighlet_win32 STATIC
  ${WEIGHLET_PORTABLE_SOURCES} ${WEIGHLET_WIN32_SOURCES}
  ${WEIGHLET_SCREENSHOT_PORTABLE_SOURCES} ${WEIGHLET_SCREENSHOT_WIN32_SOURCES})
target_include_directories(weighlet_win32 PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(weighlet_win32 PRIVATE ${WEIGHLET_PNG_INCLUDE})
target_link_libraries(weighlet_win32 PUBLIC winmm ${WEIGHLET_PNG_LIBRARY} ZLIB::ZLIB comctl32
                      gdi32 user32)

set(WEIGHLET_RC ${PROJECT_SOURCE_DIR}/assets/weighlet.rc)
set(WEIGHLET_APP_SOURCES app/main_win32.cpp)
if(EXISTS ${WEIGHLET_RC})
  list(APPEND WEIGHLET_APP_SOURCES ${WEIGHLET_RC})
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I ${PROJECT_SOURCE_DIR}/assets")
endif()

add_executable(weighlet WIN32 ${WEIGHLET_APP_SOURCES})
target_link_libraries(weighlet PRIVATE weighlet_win32 ${WEIGHLET_PNG_LIBRARY} ZLIB::ZLIB
                      comctl32 gdi32 user32)
target_include_directories(weighlet PRIVATE ${WEIGHLET_PNG_INCLUDE})
if(MINGW)
  target_link_options(weighlet PRIVATE -municode)
endif()

# Tests that must run on the real Win32 facilities, under Wine.
find_package(GTest REQUIRED)
add_executable(serial_port_wine_test tests/wine/serial_port_wine_test.cpp)
target_link_libraries(serial_port_wine_test PRIVATE weighlet_win32 GTest::gtest)
add_executable(toolkit_wine_test tests/wine/toolkit_wine_test.cpp ${WEIGHLET_RC})
target_link_libraries(toolkit_wine_test PRIVATE weighlet_win32 GTest::gtest_main)
# The PNG writer's tests on the Windows build of libpng, whose error path longjmps
# through frames of this compiler.
add_executable(png_writer_wine_test tests/unit/png_writer_test.cpp tests/unit/png_check.cpp)
target_link_libraries(png_writer_wine_test PRIVATE weighlet_win32 GTest::gtest_main)
target_include_directories(png_writer_wine_test PRIVATE ${WEIGHLET_PNG_INCLUDE})
if(MSVC)
  target_compile_definitions(serial_port_wine_test PRIVATE _CRT_SECURE_NO_WARNINGS)
endif()
# The threads facility's tests, on the Win32 implementation.
add_executable(worker_thread_wine_test tests/unit/worker_thread_test.cpp)
target_link_libraries(worker_thread_wine_test PRIVATE weighlet_win32 GTest::gtest_main)

add_subdirectory(tools/win-inspect)

# Benchmarks that run under Wine (see bench/).
add_executable(screenshot_bench WIN32 bench/screenshot_bench.cpp ${WEIGHLET_RC})
target_link_libraries(screenshot_bench PRIVATE weighlet_win32)
if(MINGW)
  target_link_options(screenshot_bench PRIVATE -mconsole)
endif()
