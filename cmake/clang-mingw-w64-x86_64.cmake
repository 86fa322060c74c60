# Cross build for 64-bit Windows with clang, on the posix-thread mingw-w64
# headers and libraries (the same runtime the GCC build links), linked by lld.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The mingw-w64 headers and libraries only, never the host's /usr/include.
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)

# clang does not look for GCC's libstdc++ in its "12-posix" folder by itself.
execute_process(COMMAND x86_64-w64-mingw32-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _vt_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(_vt_gcc_dir "${_vt_libgcc}" DIRECTORY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${_vt_gcc_dir}/include/c++
    ${_vt_gcc_dir}/include/c++/x86_64-w64-mingw32 ${_vt_gcc_dir}/include/c++/backward)
# -pthread brings winpthreads, which the posix-thread libstdc++ needs.
set(_vt_link "-fuse-ld=lld -pthread -L${_vt_gcc_dir}")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${_vt_link})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${_vt_link})  # the MSI's custom action DLL
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${_vt_link})

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine/run.sh)
