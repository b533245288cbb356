# What both cross targets share: Debian's cross compiler for QUILLON_TRIPLET, the target's
# libraries from Debian's multiarch packages (/usr/lib/<triplet>, headers in /usr/include), and
# qemu-user to run the target's programs (tests, and what the build itself runs). The target's
# C library is the multiarch one that qemu finds through its program interpreter, as on the
# target; the cross compiler's own copy under /usr/<triplet> is used only to link.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${QUILLON_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUILLON_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${QUILLON_TRIPLET})

# Programs of this machine (msgfmt, pkg-config) are found as usual; CMake looks for libraries
# and packages under lib/<triplet>, and pkg-config reads the target's .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${QUILLON_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

find_program(QUILLON_QEMU ${QUILLON_QEMU_NAME} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLON_QEMU} ${QUILLON_QEMU_OPTIONS})
