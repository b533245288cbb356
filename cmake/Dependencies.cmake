# Debian packages the project builds against; ./dev installs the missing ones. The product needs
# the first group only; the tests (BUILD_TESTING) need the second.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SIGC REQUIRED IMPORTED_TARGET sigc++-3.0)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)
find_program(MSGFMT msgfmt REQUIRED)
# The terminal display. A target without ncurses still gets quillon-host, headless only.
pkg_check_modules(NCURSES IMPORTED_TARGET ncursesw)
if(NOT NCURSES_FOUND)
  message(STATUS "No ncursesw for this target: quillon-host is built without its terminal display")
endif()

if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  # libfiu's preload fails calls of programs of this machine's own architecture only.
  if(NOT CMAKE_CROSSCOMPILING)
    find_library(FIU_LIBRARY fiu)
    find_program(FIU_RUN fiu-run)
  endif()
endif()
