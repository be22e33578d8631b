# Source lists shared by both builds.

# Logic that needs no platform: built into the program and into the native tests.
set(WEIGHLET_PORTABLE_SOURCES
  common/port_name.cpp
  common/local_date_time.cpp
  scale/scale_exchange.cpp
  scale/polling_worker.cpp
  ui/main_window.cpp
  ui/about_window.cpp
  app/startup.cpp
  app/event_loop.cpp
)

# The threads and waits facility: portable C++ for the native tests, Win32 events in the
# program (one precise kernel wait per pause).
set(WEIGHLET_THREAD_SOURCES scale/worker_thread.cpp)

# Win32 implementations of the facilities.
set(WEIGHLET_WIN32_SOURCES
  common/clock_win32.cpp
  common/code_page_win32.cpp
  scale/fine_timer_win32.cpp
  scale/worker_thread_win32.cpp
  scale/serial_port_win32.cpp
  ui/toolkit_win32.cpp
)
