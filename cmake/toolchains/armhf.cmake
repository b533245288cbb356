# 32-bit ARM with hard float, the CPU class of many receivers: `time_t` and `off_t` are 32-bit
# there unless the build asks for 64 (the project does, on every target).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(QUILLON_TRIPLET arm-linux-gnueabihf)
set(QUILLON_QEMU_NAME qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
