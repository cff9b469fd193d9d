# pelmora_library(<name> [DEPS <targets>...])
# A static library of every .cpp/.c file in the calling folder (not its children); a folder of
# headers only gives an interface library.
function(pelmora_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(APPEND sources ${ARG_SOURCES})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

include(GoogleTest)

# pelmora_test(<name> [DEPS <targets>...] [SOURCES <files>...] [TIMEOUT <seconds>]
#              [ENVIRONMENT <VAR=value>...])
# One GoogleTest executable of every .cpp file in the calling tests folder; each of its cases is
# a CTest test of its own (see pelmora_test_cases).
function(pelmora_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS;SOURCES;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND sources ${ARG_SOURCES})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock
                        Threads::Threads)
  pelmora_test_cases(${name} TIMEOUT "${ARG_TIMEOUT}" ENVIRONMENT ${ARG_ENVIRONMENT})
endfunction()

# pelmora_test_cases(<target> [TIMEOUT <seconds>] [XVFB <width>x<height>x<depth>]
#                    [ENVIRONMENT <VAR=value>...] [SECOND_RUN <name> <VAR=value>...])
# Registers every case of a GoogleTest executable as its own CTest test, <target>.<Suite>.<Case>,
# each run in its own process in the calling build folder, so that a crash fails only its case.
# The cases are listed when the executable is built. TIMEOUT (default 600) holds for each case;
# XVFB runs each case under an X server of its own with that screen. SECOND_RUN registers every
# case once more, as <target>_<name>.<Suite>.<Case>, with the further variables set.
function(pelmora_test_cases target)
  cmake_parse_arguments(ARG "" "TIMEOUT;XVFB" "ENVIRONMENT;SECOND_RUN" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  if(PELMORA_SANITIZE MATCHES "address")
    # LeakSanitizer's exit-time scan reads its record of the dynamic TLS of plug-ins that were
    # loaded and unloaded again, which can be stale and crash the scan (GCC 12's runtime, in some
    # memory layouts); nothing of the tests lives there.
    list(APPEND ARG_ENVIRONMENT ASAN_OPTIONS=intercept_tls_get_addr=0)
  endif()
  if(ARG_XVFB)
    # GoogleTest's discovery runs the cases (and lists them) through the target's emulator.
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
      "${CMAKE_SOURCE_DIR}/tests/support/xvfb-run-test.sh;${ARG_XVFB}")
  endif()
  _pelmora_discover(${target} ${target} ${ARG_TIMEOUT} "${ARG_ENVIRONMENT}")
  if(ARG_SECOND_RUN)
    list(POP_FRONT ARG_SECOND_RUN name)
    set(environment ${ARG_ENVIRONMENT} ${ARG_SECOND_RUN})
    _pelmora_discover(${target} ${target}_${name} ${ARG_TIMEOUT} "${environment}")
  endif()
endfunction()

# The cases of target registered as <prefix>.<Suite>.<Case>, with the environment (a list).
function(_pelmora_discover target prefix timeout environment)
  gtest_discover_tests(${target} TEST_PREFIX "${prefix}." TEST_LIST ${prefix}_TESTS
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT ${timeout})
  if(environment)
    # The discovered names are known only when CTest reads the list, and a list value does not
    # pass through gtest_discover_tests' PROPERTIES: a file CTest reads after the list sets it.
    set(file "${CMAKE_CURRENT_BINARY_DIR}/${prefix}_environment.cmake")
    file(WRITE ${file}
         "foreach(test IN LISTS ${prefix}_TESTS)\n"
         "  set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
         "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  endif()
endfunction()

# pelmora_bench(<name> SOURCES <files>... [DEPS <targets>...])
# A Google Benchmark executable; skipped when the benchmark library is not installed.
function(pelmora_bench name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(NOT benchmark_FOUND)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
