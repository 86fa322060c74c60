# Test helpers. Native tests run with the host compiler; Wine tests are
# cross-built and run by CTest through the Wine wrapper, one entry per binary.

set(VT_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(VT_WINE_DIR ${CMAKE_CURRENT_LIST_DIR}/wine)
set(VT_TLS_FRONT ${CMAKE_CURRENT_LIST_DIR}/tls/tls_front.py)

macro(vt_require_gtest)
  if(NOT TARGET gtest_main)
    if(EXISTS /usr/src/googletest/CMakeLists.txt AND NOT MSVC)
      # Built from the sources Debian installs, with whatever toolchain is active.
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
      foreach(t gtest gtest_main)
        target_compile_options(${t} PRIVATE -w)
      endforeach()
    else()
      find_package(GTest REQUIRED)
      add_library(gtest_main ALIAS GTest::gtest_main)
      add_library(gtest ALIAS GTest::gtest)
    endif()
  endif()
endmacro()

function(_vt_wine_fixture)
  get_property(done GLOBAL PROPERTY VT_WINE_FIXTURE)
  if(CMAKE_CROSSCOMPILING AND NOT done)
    set_property(GLOBAL PROPERTY VT_WINE_FIXTURE TRUE)
    add_test(NAME vt_wine_setup COMMAND ${VT_WINE_DIR}/setup.sh ${VT_WINE_ROOT})
    add_test(NAME vt_wine_teardown COMMAND ${VT_WINE_DIR}/teardown.sh ${VT_WINE_ROOT})
    set_tests_properties(vt_wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
    set_tests_properties(vt_wine_teardown PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
  endif()
endfunction()

# vt_add_native_test(name SOURCES ... LIBS ...)
function(vt_add_native_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    return()  # the host preset runs these
  endif()
  vt_require_gtest()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# vt_add_fuzz_test(name SOURCES ... MAX_LEN n INPUT_TIMEOUT s)
# A libFuzzer target (clang host builds with VT_FUZZ), the product sources it
# covers compiled in for instrumentation. It runs 20 s from the committed
# seeds in fuzz_corpus/, which are only read; new inputs go to the build tree.
# An input slower than INPUT_TIMEOUT seconds is reported as a failure.
function(vt_add_fuzz_test name)
  cmake_parse_arguments(F "" "MAX_LEN;INPUT_TIMEOUT" "SOURCES" ${ARGN})
  if(NOT VT_FUZZ OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR CMAKE_CROSSCOMPILING)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name} COMMAND ${name} -max_total_time=20 -max_len=${F_MAX_LEN}
           -timeout=${F_INPUT_TIMEOUT} -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/ ${work}
           ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_corpus)
  set_tests_properties(${name} PROPERTIES TIMEOUT 90)
endfunction()

# vt_add_wine_test(name SOURCES ... LIBS ... [VERSION_RESOURCE] [TIMEOUT s] [DEPENDS exe...])
# VERSION_RESOURCE links the program's version information into the test exe,
# so code that builds registry paths from it sees the same names.
# DEPENDS names executables the test starts; their paths reach the test in
# the environment as VT_EXE_<TARGET>.
function(vt_add_wine_test name)
  cmake_parse_arguments(T "VERSION_RESOURCE" "TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  vt_require_gtest()
  _vt_wine_fixture()
  set(srcs ${T_SOURCES})
  if(T_VERSION_RESOURCE)
    list(APPEND srcs ${PROJECT_SOURCE_DIR}/src/version.rc)
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/win/common)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env VT_WINE_ROOT=${VT_WINE_ROOT})
  foreach(dep ${T_DEPENDS})
    add_dependencies(${name} ${dep})
    string(TOUPPER "${dep}" up)
    string(REPLACE "-" "_" up "${up}")
    list(APPEND env "VT_EXE_${up}=Z:$<TARGET_FILE:${dep}>")
  endforeach()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# vt_https_test(name): a Wine test of the update road over https. It runs
# behind the TLS front (tls/tls_front.py: a test CA, good and bad server
# certificates, on the Linux side; a fixture that ends by itself), finds it
# through VT_TLS_DIR, and signs manifests with the test-only key of tests/keys,
# given to it as X, Y and d in hex (VT_TEST_SIGNING_KEY).
function(vt_https_test name)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/tls)
  get_property(done GLOBAL PROPERTY VT_TLS_FIXTURE)
  if(NOT done)
    set_property(GLOBAL PROPERTY VT_TLS_FIXTURE TRUE)
    add_test(NAME vt_tls_setup COMMAND python3 ${VT_TLS_FRONT} start ${dir} 1200)
    add_test(NAME vt_tls_teardown COMMAND python3 ${VT_TLS_FRONT} stop ${dir})
    set_tests_properties(vt_tls_setup PROPERTIES FIXTURES_SETUP tls TIMEOUT 60)
    set_tests_properties(vt_tls_teardown PROPERTIES FIXTURES_CLEANUP tls TIMEOUT 30)
  endif()
  set(der ${CMAKE_BINARY_DIR}/test-only-update-key.der)
  execute_process(COMMAND openssl ec -in ${PROJECT_SOURCE_DIR}/tests/keys/test-only-update-key.pem
                          -outform DER -out ${der} ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${der} hex HEX)  # SEC1: d at byte 7, the public point's X and Y last
  string(SUBSTRING "${hex}" 14 64 d)
  string(LENGTH "${hex}" length)
  math(EXPR at "${length} - 128")
  string(SUBSTRING "${hex}" ${at} 128 xy)
  target_compile_definitions(${name} PRIVATE VT_TEST_SIGNING_KEY="${xy}${d}")
  target_link_libraries(${name} PRIVATE bcrypt crypt32)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "VT_TLS_DIR=Z:${dir}")
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED tls)
endfunction()
