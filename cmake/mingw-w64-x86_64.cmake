# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix
# threading model, so std::thread and std::mutex work).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQM_WIN_DEPS=$(scripts/build-windows-deps.sh)
#
# QM_WIN_DEPS is the prefix that scripts/build-windows-deps.sh fills with
# the libraries Debian does not ship for MinGW (minizip, wxMSW, GoogleTest);
# zlib comes from Debian's libz-mingw-w64-dev. Programs are linked
# statically, so a .exe needs no MinGW runtime DLL beside it. Test programs
# run under Wine (scripts/wine-run.sh) during test discovery and in ctest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QM_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QM_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_HOST}-windres)

if(NOT QM_WIN_DEPS AND DEFINED ENV{QM_WIN_DEPS})
  set(QM_WIN_DEPS $ENV{QM_WIN_DEPS})
endif()
if(NOT QM_WIN_DEPS OR NOT EXISTS "${QM_WIN_DEPS}/.complete")
  message(FATAL_ERROR "QM_WIN_DEPS must name the prefix printed by scripts/build-windows-deps.sh")
endif()
set(QM_WIN_DEPS "${QM_WIN_DEPS}" CACHE PATH "Prefix of the Windows libraries (scripts/build-windows-deps.sh)")
# try_compile projects read this file again and need the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_HOST} ${QM_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The MinGW platform files prefer import libraries (.dll.a); static ones are
# chosen after project() (see mingw-static.cmake).
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/mingw-static.cmake)

# Forced: a build folder configured again with another prefix follows it.
set(wxWidgets_CONFIG_EXECUTABLE ${QM_WIN_DEPS}/bin/wx-config CACHE FILEPATH "wx-config of the wxMSW build" FORCE)
set(ENV{PKG_CONFIG_LIBDIR} ${QM_WIN_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
