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
  sw_add_cross_gtest()
else()
  find_package(GTest REQUIRED)
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
