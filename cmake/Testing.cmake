# How the test suites are registered. Test cases are discovered when CTest runs, not while
# building, so that a build for another CPU (or with a sanitizer runtime the build machine
# cannot start) never runs a target program on the build machine. Under a cross toolchain
# CTest runs every test program through the emulator, and the tests start quillon-host
# through it too (QUILLON_TEST_EMULATOR): this machine has no binfmt_misc registration.
include(GoogleTest)

set(QUILLON_TEST_ENVIRONMENT "")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
  set(QUILLON_TEST_ENVIRONMENT "QUILLON_TEST_EMULATOR=${emulator}")
endif()

# quillon_discover_tests(TARGET [ENVIRONMENT NAME=VALUE] [LABELS LABEL]) registers the cases
# of a GoogleTest program, run in the tests' environment and the one given.
function(quillon_discover_tests target)
  cmake_parse_arguments(ARG "" "LABELS" "ENVIRONMENT" ${ARGN})
  set(environment ${QUILLON_TEST_ENVIRONMENT} ${ARG_ENVIRONMENT})
  # CMake 3.25 hands the property's value on item by item when discovering at test time, so
  # that a second item would be read as a property's name.
  list(LENGTH environment count)
  if(count GREATER 1)
    message(FATAL_ERROR "${target}: one environment variable at most: ${environment}")
  endif()
  # For the same reason an empty value vanishes, and the next property's name would become the
  # environment: the environment is only set when there is one.
  set(properties "")
  if(environment)
    list(APPEND properties ENVIRONMENT "${environment}")
  endif()
  if(ARG_LABELS)
    list(APPEND properties LABELS ${ARG_LABELS})
  endif()
  # A parameterised case is named by the name its instantiation gives it (a key script's, say),
  # not by the bytes of its parameter.
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
                       PROPERTIES ${properties})
endfunction()

# quillon_test(NAME SOURCES... LIBRARIES... [LABELS LABEL]) builds a test program and
# registers its cases, with the label given.
function(quillon_test name)
  cmake_parse_arguments(ARG "" "LABELS" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  set(labels "")
  if(ARG_LABELS)
    set(labels LABELS ${ARG_LABELS})
  endif()
  quillon_discover_tests(${name} ${labels})
endfunction()

# quillon_left_out(NAME REASON) names a test program that this build cannot run: CTest lists
# it as skipped, and the reason is printed at configure time, by the test itself, and by
# `./dev cross` after the run.
set(QUILLON_LEFT_OUT_FILE ${PROJECT_BINARY_DIR}/left-out.txt)
file(WRITE ${QUILLON_LEFT_OUT_FILE} "")
function(quillon_left_out name reason)
  quillon_note_left_out(${name} "${reason}")
  add_test(NAME left_out.${name}
           COMMAND ${CMAKE_COMMAND} -E echo "left out: ${name}: ${reason}")
  set_tests_properties(left_out.${name} PROPERTIES
    SKIP_REGULAR_EXPRESSION "left out")
endfunction()

# quillon_note_left_out(NAME REASON) records tests that skip themselves in this build, so that
# the reason is printed at configure time and by `./dev cross` too.
function(quillon_note_left_out name reason)
  message(STATUS "Left out: ${name}: ${reason}")
  file(APPEND ${QUILLON_LEFT_OUT_FILE} "left out: ${name}: ${reason}\n")
endfunction()
