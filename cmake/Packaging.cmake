# Installation and the Debian package. `cmake --install` (honouring CMAKE_INSTALL_PREFIX and
# DESTDIR) lays out the program (the host linked in), the plug-in in a directory of its own,
# the catalogues, the demo disk, the manual page and the notes; `cpack` makes the .deb of it.
include(GNUInstallDirs)

set(QUILLON_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/quillon)
set(QUILLON_INSTALL_DEMO_DISK ${CMAKE_INSTALL_DATADIR}/quillon/demo-disk)
set(QUILLON_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon)

# quillon_install_path(VARIABLE DIRECTORY): DIRECTORY under the prefix, absolute.
function(quillon_install_path variable directory)
  cmake_path(ABSOLUTE_PATH directory BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX} NORMALIZE)
  set(${variable} ${directory} PARENT_SCOPE)
endfunction()

# quillon_relative_to_program(VARIABLE DIRECTORY): DIRECTORY as the installed program sees it.
function(quillon_relative_to_program variable directory)
  quillon_install_path(absolute ${directory})
  file(RELATIVE_PATH relative ${CMAKE_INSTALL_FULL_BINDIR} ${absolute})
  set(${variable} ${relative} PARENT_SCOPE)
endfunction()

# quillon-host finds everything relative to itself, so the installation can be moved whole.
quillon_relative_to_program(plugin_dir ${QUILLON_INSTALL_LIBDIR})
quillon_relative_to_program(locale_dir ${CMAKE_INSTALL_LOCALEDIR})
quillon_relative_to_program(demo_disk ${QUILLON_INSTALL_DEMO_DISK})
target_compile_definitions(quillon_runner PRIVATE
  QUILLON_INSTALLED_PLUGIN_DIR="${plugin_dir}"
  QUILLON_INSTALLED_LOCALE_DIR="${locale_dir}"
  QUILLON_INSTALLED_DEMO_DISK="${demo_disk}")

install(TARGETS quillon-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quillon LIBRARY DESTINATION ${QUILLON_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_BINARY_DIR}/locale/ DESTINATION ${CMAKE_INSTALL_LOCALEDIR})
install(FILES README.md docs/reliability.md DESTINATION ${QUILLON_INSTALL_DOCDIR})

# The demo disk is laid out afresh where it is installed, by the program that lays out the
# build tree's: the build tree's copy may have been run on, and a copy would not keep the
# modification times of its links, by which the rebuild dates them.
install(CODE "
  set(demo_disk \"${QUILLON_INSTALL_DEMO_DISK}\")
  cmake_path(ABSOLUTE_PATH demo_disk BASE_DIRECTORY \"\${CMAKE_INSTALL_PREFIX}\")
  set(demo_disk \"\$ENV{DESTDIR}\${demo_disk}\")
  message(STATUS \"Laying out the demo disk: \${demo_disk}\")
  file(REMOVE_RECURSE \"\${demo_disk}\")
  execute_process(
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} \"$<TARGET_FILE:make-demo-disk>\" \"\${demo_disk}\"
    COMMAND_ERROR_IS_FATAL ANY)
")

# The manual page names the installed files as this configuration places them.
quillon_install_path(QUILLON_MAN_PLUGIN ${QUILLON_INSTALL_LIBDIR}/quillon.so)
quillon_install_path(QUILLON_MAN_CATALOGUE ${CMAKE_INSTALL_LOCALEDIR}/de/LC_MESSAGES/quillon-host.mo)
quillon_install_path(QUILLON_MAN_DEMO_DISK ${QUILLON_INSTALL_DEMO_DISK})
quillon_install_path(QUILLON_MAN_DOC_DIR ${QUILLON_INSTALL_DOCDIR})
set(QUILLON_MAN_PAGE ${PROJECT_BINARY_DIR}/man/quillon-host.1)
configure_file(man/quillon-host.1.in ${QUILLON_MAN_PAGE} @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${QUILLON_MAN_PAGE}.gz
  COMMAND ${GZIP} -9nkf ${QUILLON_MAN_PAGE}
  DEPENDS ${QUILLON_MAN_PAGE}
  COMMENT "Compressing the manual page")
add_custom_target(man-page ALL DEPENDS ${QUILLON_MAN_PAGE}.gz)
install(FILES ${QUILLON_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package. Its dependencies are those of the libraries the program and the plug-in
# link, found by dpkg-shlibdeps; the plug-in's host symbols are the program's own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon maintainers")
set(CPACK_PACKAGE_CONTACT "Quillon maintainers <maintainers@quillon.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "rebuilds a TV receiver's list of recorded movies from its disk")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Quillon is a plug-in for the graphical host of a Linux TV receiver with\n"
  "a hard disk. It rebuilds the receiver's list of recorded movies from the\n"
  "recordings really on the disk, named from their event information and\n"
  "sorted as the user chooses.\n"
  "\n"
  "This package holds quillon-host, which loads the plug-in as the receiver\n"
  "does and draws its display in a terminal, or runs headless from a key\n"
  "script. With --root it rebuilds the list of a receiver's disk mounted on\n"
  "this machine; without, it runs on the demo disk included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillon.example.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
