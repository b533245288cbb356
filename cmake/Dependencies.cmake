# Debian packages the project builds against; ./dev installs the missing ones.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SIGC REQUIRED IMPORTED_TARGET sigc++-3.0)
pkg_check_modules(NCURSES REQUIRED IMPORTED_TARGET ncursesw)
find_package(GTest REQUIRED)
find_program(MSGFMT msgfmt REQUIRED)

# libdvbv5's pkg-config file asks for libudev, which the library does not need for the
# descriptor parsing used here, so it is found directly.
find_path(DVBV5_INCLUDE_DIR libdvbv5/descriptors.h REQUIRED)
find_library(DVBV5_LIBRARY dvbv5 REQUIRED)
add_library(dvbv5 UNKNOWN IMPORTED)
set_target_properties(dvbv5 PROPERTIES IMPORTED_LOCATION "${DVBV5_LIBRARY}"
                                       INTERFACE_INCLUDE_DIRECTORIES "${DVBV5_INCLUDE_DIR}")

find_library(FIU_LIBRARY fiu)
find_program(FIU_RUN fiu-run)
