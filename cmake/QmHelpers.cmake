# Shared build helpers for the layer folders.

# Warnings for our own targets.
function(qm_warnings target)
  if(MSVC)
    # Visual C++: its own warning level; the C runtime's "use the _s
    # functions" advice is not followed (the code is portable C++).
    target_compile_options(${target} PRIVATE /W3 /utf-8)
    target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS _CRT_NONSTDC_NO_WARNINGS)
    if(QM_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QM_WERROR)
    # GCC 12 reports std::string's small buffer as maybe-uninitialized at -O2
    # (a known false positive); keep it visible but not fatal.
    target_compile_options(${target} PRIVATE -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-error=maybe-uninitialized)
      # GCC 12 at -O3 reports overlapping memcpy inside std::string's own
      # inlined code (GCC bug 105329), in any file that appends to a string.
      if(CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
        target_compile_options(${target} PRIVATE -Wno-error=restrict)
      endif()
    endif()
  endif()
endfunction()

# Sources of a folder for this platform: every .cpp except the variants of
# other platforms (suffixes _win32, _posix, _cups).
function(qm_platform_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(kept)
  foreach(f ${all})
    get_filename_component(n ${f} NAME_WE)
    if(WIN32)
      if(n MATCHES "_(posix|cups)$")
        continue()
      endif()
    else()
      if(n MATCHES "_win32$")
        continue()
      endif()
    endif()
    list(APPEND kept ${f})
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()

# qm_layer(<name> [DEPS libs...] [EXTRA_SOURCES files...])
# Builds the static library qm_<name> from the folder's sources.
function(qm_layer name)
  cmake_parse_arguments(L "" "" "DEPS;EXTRA_SOURCES" ${ARGN})
  qm_platform_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(qm_${name} STATIC ${srcs} ${L_EXTRA_SOURCES})
  target_include_directories(qm_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(qm_${name} PUBLIC ${L_DEPS})
  qm_warnings(qm_${name})
endfunction()

# qm_embed(<out_cpp> <input_file> <symbol>)
# Turns a file into a C++ source defining
#   extern const unsigned char <symbol>[]; extern const std::size_t <symbol>_size;
# regenerated whenever the input changes. The array has a trailing NUL that
# <symbol>_size does not count, so text files can be used as C strings.
function(qm_embed out_cpp input symbol)
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${out_cpp} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${input}"
    VERBATIM)
endfunction()
