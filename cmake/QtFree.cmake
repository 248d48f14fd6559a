# The Qt-free configuration (SW_QT=OFF): byte strings, files, settings and processes
# (support/), the HTTP client and its sockets (update/), and on Windows the COM core
# (automation/com/), each with its GoogleTest tests. With cmake/mingw-x86_64.cmake it is the
# Windows build whose tests ctest runs under Wine.

set(CMAKE_AUTOMOC OFF)
set(CMAKE_AUTOUIC OFF)
set(CMAKE_AUTORCC OFF)
include(cmake/SwTargets.cmake)
enable_testing()

if(CMAKE_CROSSCOMPILING)
  # No GoogleTest package exists for the target: build Debian's source package with the
  # cross compiler.
  set(SW_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SW_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # The Wine prefix the tests run in; make test-windows creates it before the first test.
  set(SW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
endif()

set(SW_QTFREE_FOLDERS support update tests/support tests/update)
if(WIN32)
  list(APPEND SW_QTFREE_FOLDERS automation/com tests/automation/com)
endif()
foreach(folder IN LISTS SW_QTFREE_FOLDERS)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
    add_subdirectory(${folder})
  endif()
endforeach()
