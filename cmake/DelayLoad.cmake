# Delay-loaded system libraries: the library is loaded at the first call into
# it, not when the program starts. Every start of Wine or Windows pays for the
# libraries that the image imports; the sign-in dialog needs no network, so
# WinHTTP (and what it brings along) waits for the first request.
#
# Only libraries none of whose functions take floating-point arguments: the
# toolchain's delay-load thunk keeps the integer argument registers across
# the loading but not XMM0 to XMM3, so the first call of, say, OLE
# Automation's VariantTimeToSystemTime would get a clobbered date.
#
# quillon_delay_import(<name> <variable>) sets <variable> to a delay-import
# library for <name>.dll made from the toolchain's import library (all its
# exports), or to <name> itself, the usual import, when that cannot be made.
function(quillon_delay_import name variable)
  set(${variable} ${name} PARENT_SCOPE)
  find_library(QUILLON_IMPORT_${name} NAMES ${name})
  if(NOT QUILLON_IMPORT_${name} OR NOT CMAKE_NM OR NOT CMAKE_DLLTOOL)
    message(STATUS "${name}.dll is imported at start (no import library, nm or dlltool)")
    return()
  endif()
  execute_process(COMMAND ${CMAKE_NM} -g ${QUILLON_IMPORT_${name}}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE status ERROR_QUIET)
  string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
  if(NOT status EQUAL 0 OR NOT imports)
    message(STATUS "${name}.dll is imported at start (its import library lists nothing)")
    return()
  endif()
  set(folder ${CMAKE_BINARY_DIR}/delay)
  file(MAKE_DIRECTORY ${folder})
  set(definition "LIBRARY ${name}.dll\nEXPORTS\n")
  list(REMOVE_DUPLICATES imports)
  foreach(import IN LISTS imports)
    string(REPLACE " I __imp_" "" export "${import}")
    string(APPEND definition "${export}\n")
  endforeach()
  file(WRITE ${folder}/${name}.def "${definition}")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${name}.def
                          --output-delaylib ${folder}/lib${name}_delay.a --dllname ${name}.dll
                  RESULT_VARIABLE status)
  if(status EQUAL 0 AND EXISTS ${folder}/lib${name}_delay.a)
    set(${variable} ${folder}/lib${name}_delay.a PARENT_SCOPE)
  else()
    message(STATUS "${name}.dll is imported at start (dlltool failed)")
  endif()
endfunction()
