# Included after project() by the MinGW toolchain file: link static
# libraries wherever a library is looked up (zlib, minizip), so that the
# programs need no DLL besides the system's own.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
# GCC 12 for MinGW reports string concatenation as overlapping copies at -O2
# (GCC bug 105329, a false positive the Linux compiler does not show here).
string(APPEND CMAKE_CXX_FLAGS " -Wno-restrict")
