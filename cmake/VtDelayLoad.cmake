# System DLLs that start-up never calls: the update check's WinINet (which
# brings Winsock, MPR and zlib along) and CNG. Delay-loaded, they are mapped
# on their first call instead of before WinMain.
set(VT_DELAY_LOADED wininet bcrypt)

# MinGW has no /DELAYLOAD: dlltool makes a delay-import library from the list
# of the DLL's exports in its ordinary import library; mingw-w64's runtime
# supplies the helper that loads the DLL on the first call.
function(_vt_mingw_delay_library name out)
  set(lib "${CMAKE_BINARY_DIR}/delayimp/lib${name}_delay.a")
  if(NOT EXISTS "${lib}")
    find_library(_vt_import_${name} ${name} REQUIRED)
    find_program(VT_MINGW_NM NAMES x86_64-w64-mingw32-nm nm REQUIRED)
    find_program(VT_MINGW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    set(import "${_vt_import_${name}}")
    execute_process(COMMAND ${VT_MINGW_DLLTOOL} --identify "${import}"
                    OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${VT_MINGW_NM} -g --defined-only "${import}"
                    OUTPUT_VARIABLE symbols ERROR_QUIET)
    string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_]*" found "${symbols}")
    set(def "LIBRARY ${dll}\nEXPORTS\n")
    foreach(line ${found})
      string(REGEX REPLACE "^.* T " "" export "${line}")
      string(APPEND def "${export}\n")
    endforeach()
    if(dll STREQUAL "" OR NOT found)
      message(FATAL_ERROR "no exports of ${name} found in ${import}")
    endif()
    file(WRITE "${CMAKE_BINARY_DIR}/delayimp/${name}.def" "${def}")
    execute_process(COMMAND ${VT_MINGW_DLLTOOL} -d "${CMAKE_BINARY_DIR}/delayimp/${name}.def"
                            -y "${lib}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dlltool could not make ${lib}")
    endif()
  endif()
  set(${out} "${lib}" PARENT_SCOPE)
endfunction()

# vt_link_windows_libraries(target scope lib...): links Windows import
# libraries, delay-loading those in VT_DELAY_LOADED.
function(vt_link_windows_libraries target scope)
  foreach(name ${ARGN})
    if(NOT name IN_LIST VT_DELAY_LOADED)
      target_link_libraries(${target} ${scope} ${name})
    elseif(MINGW)
      _vt_mingw_delay_library(${name} lib)
      target_link_libraries(${target} ${scope} "${lib}")
    elseif(MSVC)
      target_link_libraries(${target} ${scope} ${name} delayimp)
      target_link_options(${target} INTERFACE "/DELAYLOAD:${name}.dll")
    else()
      target_link_libraries(${target} ${scope} ${name})
    endif()
  endforeach()
endfunction()
