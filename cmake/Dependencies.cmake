# Debian packages the project builds against; ./dev installs the missing ones.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SIGC REQUIRED IMPORTED_TARGET sigc++-3.0)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)
pkg_check_modules(NCURSES REQUIRED IMPORTED_TARGET ncursesw)
find_package(GTest REQUIRED)
find_program(MSGFMT msgfmt REQUIRED)

find_library(FIU_LIBRARY fiu)
find_program(FIU_RUN fiu-run)
