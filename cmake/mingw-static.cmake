# Included after project() by the MinGW toolchain file: link static
# libraries wherever a library is looked up (zlib, minizip), so that the
# programs need no DLL besides the system's own.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
