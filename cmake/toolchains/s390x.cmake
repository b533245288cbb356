# 64-bit big-endian: where a byte-order slip in the event parser or a character table shows.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(QUILLON_TRIPLET s390x-linux-gnu)
set(QUILLON_QEMU_NAME qemu-s390x)

# This machine's compiled locales are little-endian, which a big-endian C library cannot read;
# in the C locale gettext ignores LANGUAGE. The target's programs get a big-endian C.UTF-8 of
# their own (localedef, from the locales package), as a receiver has its own.
if(NOT CMAKE_PROJECT_NAME STREQUAL "CMAKE_TRY_COMPILE")
  set(target_locales ${CMAKE_BINARY_DIR}/target-locales)
  if(NOT EXISTS ${target_locales}/C.UTF-8/LC_CTYPE)
    file(MAKE_DIRECTORY ${target_locales})
    execute_process(COMMAND localedef --big-endian -i C -f UTF-8 ${target_locales}/C.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT EXISTS ${target_locales}/C.UTF-8/LC_CTYPE)
    message(FATAL_ERROR "localedef could not make a big-endian C.UTF-8 (install locales)")
  endif()
  set(QUILLON_QEMU_OPTIONS -E LOCPATH=${target_locales})
endif()
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
