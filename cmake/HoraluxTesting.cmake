# Test helpers shared by every folder.
#
#   horalux_native_test(name SOURCES ... LIBS ... [CONCURRENCY])
#     A GoogleTest program of the platform-free core, built and run on Linux
#     (label "native"). CONCURRENCY tests are also built in the
#     ThreadSanitizer tree (label "tsan"); that tree builds nothing else.
#
#   horalux_win32_test(name SOURCES ... LIBS ... [RESOURCES file.rc])
#     A GoogleTest program of the Win32 layer, cross-built and run by
#     tests/win32/wine-run.sh under Wine (label "win32"), with a display and
#     the GPS clock simulator on COM5.

if(WIN32)
  set(HORALUX_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources for the Windows build")
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${HORALUX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(HORALUX_TOOLS_DIR "" CACHE PATH "Native build folder holding tools/gpsclock-sim")
  set(HORALUX_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Private Wine prefix for the tests")
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  if(HORALUX_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(HORALUX_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
  endif()
endif()

function(horalux_native_test name)
  cmake_parse_arguments(T "CONCURRENCY" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(HORALUX_SANITIZE STREQUAL "thread" AND NOT T_CONCURRENCY)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} system_error_fake GTest::gtest GTest::gtest_main)
  if(HORALUX_SANITIZE STREQUAL "thread")
    set(labels "tsan")
    set(prefix "tsan.")
  else()
    set(labels "native")
    set(prefix "")
  endif()
  gtest_discover_tests(${name} TEST_PREFIX "${prefix}" PROPERTIES LABELS "${labels}" DISCOVERY_TIMEOUT 30)
endfunction()

function(horalux_win32_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;RESOURCES" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES} ${T_RESOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} system_error_win32 gtest gtest_main)
  add_test(NAME win32.${name}
    COMMAND ${PROJECT_SOURCE_DIR}/tests/win32/wine-run.sh $<TARGET_FILE:${name}> --gtest_color=no)
  set_tests_properties(win32.${name} PROPERTIES
    LABELS win32
    TIMEOUT 600
    ENVIRONMENT "WINEPREFIX=${HORALUX_WINEPREFIX};HORALUX_TOOLS_DIR=${HORALUX_TOOLS_DIR}")
endfunction()
