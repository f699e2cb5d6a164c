# The built-in Tessel set as build inputs.
#
# qm_builtin_files(<paths_var> <files_var> <gen_dir>)
#   Sets <paths_var> to the printer paths of runlist.txt (install order) and
#   <files_var> to the file of each, in the same order: the file in this
#   folder, or, for the images, a file the build renders under <gen_dir>
#   with Ghostscript from imgsrc/ (the custom commands are added in the
#   calling directory; list the files as sources of a target there). Also
#   sets <paths_var>_ROLES to the role of each path.
set(QM_BUILTIN_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qm_builtin_files paths_var files_var gen_dir)
  find_program(QM_GHOSTSCRIPT_PROGRAM NAMES gs gswin64c gswin32c REQUIRED)
  file(STRINGS ${QM_BUILTIN_DIR}/runlist.txt lines)
  set(paths)
  set(files)
  set(roles)
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*#" OR line MATCHES "^[ \t]*$")
      continue()
    endif()
    string(REGEX REPLACE "^[ \t]*([^ \t]+)[ \t]+([^ \t]+).*$" "\\1;\\2" fields "${line}")
    list(GET fields 0 path)
    list(GET fields 1 role)
    list(APPEND paths ${path})
    list(APPEND roles ${role})
    get_filename_component(name ${path} NAME)
    if(name STREQUAL "KOROins.jpg")
      set(out ${gen_dir}/${path})
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}/tqf/imglib
        COMMAND ${QM_GHOSTSCRIPT_PROGRAM} -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -dJPEGQ=85
                -r72 -g240x120 -sOutputFile=${out} ${QM_BUILTIN_DIR}/imgsrc/KOROins.ps
        DEPENDS ${QM_BUILTIN_DIR}/imgsrc/KOROins.ps
        COMMENT "Rendering the built-in image ${path}" VERBATIM)
      list(APPEND files ${out})
    elseif(name STREQUAL "nlogo.tif")
      set(out ${gen_dir}/${path})
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}/tqf/imglib
        COMMAND ${QM_GHOSTSCRIPT_PROGRAM} -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=tiffgray
                -sCompression=lzw -dTIFFDateTime=false -r72 -g96x48 -sOutputFile=${out}
                ${QM_BUILTIN_DIR}/imgsrc/nlogo.ps
        DEPENDS ${QM_BUILTIN_DIR}/imgsrc/nlogo.ps
        COMMENT "Rendering the built-in image ${path}" VERBATIM)
      list(APPEND files ${out})
    else()
      list(APPEND files ${QM_BUILTIN_DIR}/${path})
    endif()
  endforeach()
  set(${paths_var} ${paths} PARENT_SCOPE)
  set(${paths_var}_ROLES ${roles} PARENT_SCOPE)
  set(${files_var} ${files} PARENT_SCOPE)
endfunction()
