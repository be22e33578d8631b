# Tests of the real Windows programs under Wine and Xvfb. They run one at a time on one
# prefix and display, brought up once per test run by the wine.env fixture.
if(NOT WEIGHLET_WIN_BUILD)
  message(STATUS "WEIGHLET_WIN_BUILD not set: no Wine tests")
  return()
endif()

set(WEIGHLET_WINE_ENV
  WEIGHLET_NATIVE_BUILD=${PROJECT_BINARY_DIR}
  WEIGHLET_WIN_BUILD=${WEIGHLET_WIN_BUILD}
  WEIGHLET_SCALE_SIM=$<TARGET_FILE:scale-sim>
  PYTHONDONTWRITEBYTECODE=1
  PYTHONUNBUFFERED=1
)
set(WEIGHLET_HARNESS ${PROJECT_SOURCE_DIR}/tests/wine/harness.py)

add_test(NAME wine.env.start COMMAND ${Python3_EXECUTABLE} ${WEIGHLET_HARNESS} start)
add_test(NAME wine.env.stop COMMAND ${Python3_EXECUTABLE} ${WEIGHLET_HARNESS} stop)
set_tests_properties(wine.env.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 600)
set_tests_properties(wine.env.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
set_tests_properties(wine.env.start wine.env.stop PROPERTIES
  ENVIRONMENT "${WEIGHLET_WINE_ENV}" RESOURCE_LOCK wine LABELS wine)

# add_wine_test(NAME script.py): a Python script in tests/wine run with the environment.
function(add_wine_test name script)
  add_test(NAME wine.${name}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/wine/${script})
  set_tests_properties(wine.${name} PROPERTIES
    ENVIRONMENT "${WEIGHLET_WINE_ENV}" FIXTURES_REQUIRED wine RESOURCE_LOCK wine
    TIMEOUT 600 LABELS wine)
endfunction()

add_wine_test(serial_port run_serial_port_tests.py)

find_program(WEIGHLET_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME exe.imports
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/check_exe_imports.py
                 ${WEIGHLET_MINGW_OBJDUMP} ${WEIGHLET_WIN_BUILD}/weighlet.exe)
set_tests_properties(exe.imports PROPERTIES LABELS native)
add_wine_test(main_window test_main_window.py)
add_wine_test(live_weighing test_live_weighing.py)
add_wine_test(about_window test_about_window.py)

# Test programs of the Windows build that need nothing but Wine (and its display).
foreach(program worker_thread toolkit png_writer)
  add_test(NAME wine.${program}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/wine/run_program.py
                   ${program}_wine_test.exe)
  set_tests_properties(wine.${program} PROPERTIES
    ENVIRONMENT "${WEIGHLET_WINE_ENV}" FIXTURES_REQUIRED wine RESOURCE_LOCK wine
    TIMEOUT 300 LABELS wine)
endforeach()
add_wine_test(screenshot test_screenshot.py)
