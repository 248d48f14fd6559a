# Where a Windows cross-build finds Qt, QuaZip, zlib and libxml2: the toolchain folder that
# scripts/windows-toolchain.sh builds (or unpacks) once outside the repository. Qt there is
# static, so every program also links the Qt plugins it needs (sw_link_qt_plugins).
# `SW_WINDOWS_TOOLCHAIN`: that folder; pass -DSW_WINDOWS_TOOLCHAIN=... (make windows does).
set(SW_WINDOWS_TOOLCHAIN "" CACHE PATH "Toolchain folder of scripts/windows-toolchain.sh")
if(NOT EXISTS "${SW_WINDOWS_TOOLCHAIN}/qt/lib/cmake/Qt5")
  message(FATAL_ERROR "No Windows Qt in SW_WINDOWS_TOOLCHAIN='${SW_WINDOWS_TOOLCHAIN}': "
                      "run scripts/windows-toolchain.sh and pass the folder it prints.")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${SW_WINDOWS_TOOLCHAIN}/qt ${SW_WINDOWS_TOOLCHAIN}/deps)
list(APPEND CMAKE_PREFIX_PATH ${SW_WINDOWS_TOOLCHAIN}/qt ${SW_WINDOWS_TOOLCHAIN}/deps)
set(ZLIB_ROOT ${SW_WINDOWS_TOOLCHAIN}/deps)
# Qt's translation tools run on the build machine: the host's Qt of the same version.
find_path(SW_HOST_LINGUIST_DIR Qt5LinguistToolsConfig.cmake
          PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/cmake/Qt5LinguistTools
                /usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(Qt5LinguistTools_DIR ${SW_HOST_LINGUIST_DIR})
# The release programs without symbols: each is one file users download.
string(APPEND CMAKE_EXE_LINKER_FLAGS_RELEASE " -s")
# libxml2 built static: its headers must not ask for DLL imports.
add_compile_definitions(LIBXML_STATIC)

# Qt's static CMake files already link and import each module's default plugins (the Windows
# platform, the ICO reader for the window's icon, the Windows style). Tests of the window run
# on the offscreen platform, which a program must import itself (Q_IMPORT_PLUGIN, from a
# source file made here).
function(sw_link_qt_plugins target)
  cmake_parse_arguments(ARG "TESTS" "" "" ${ARGN})
  if(NOT ARG_TESTS)
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/qtplugins/${target}.cpp)
  file(GENERATE OUTPUT ${source}
       CONTENT "#include <QtPlugin>\nQ_IMPORT_PLUGIN(QOffscreenIntegrationPlugin)\n")
  target_link_libraries(${target} PRIVATE Qt5::QOffscreenIntegrationPlugin)
  target_sources(${target} PRIVATE ${source})
endfunction()

# Give a program its icon and version resources (packaging/windows/program.rc.in).
function(sw_add_windows_resources target description)
  set(SW_RC_NAME ${target})
  set(SW_RC_DESCRIPTION "${description}")
  set(SW_RC_ICON ${PROJECT_SOURCE_DIR}/app/images/qvr.ico)
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
