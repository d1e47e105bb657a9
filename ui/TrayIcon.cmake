# The tray icon, included by ui/CMakeLists.txt.
if(WIN32)
  add_library(trayicon_win32 STATIC ${CMAKE_CURRENT_LIST_DIR}/TrayIcon_win32.cpp)
  target_include_directories(trayicon_win32 PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(trayicon_win32 PUBLIC window_win32 shell32 user32)
endif()

set(TRAY_TESTS ${PROJECT_SOURCE_DIR}/tests/win32/ui)
horalux_win32_test(trayicon_win32_tests
  SOURCES ${TRAY_TESTS}/TrayIconTest.cpp
  LIBS trayicon_win32
  RESOURCES ${TRAY_TESTS}/tray_tests.rc)
