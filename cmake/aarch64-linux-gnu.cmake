# Cross build for aarch64 (64-bit ARM: the phones' processors) with Debian's
# cross toolchain (crossbuild-essential-arm64) against the arm64 root that
# scripts/arm64-sysroot.sh unpacks; the programs and the tests run under
# qemu-user on a Cortex-A72 (NEON, no SVE, as the phones' cores).
#
#   KESTREL_ARM64_SYSROOT   the root (default: where arm64-sysroot.sh puts it)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

if(NOT KESTREL_ARM64_SYSROOT)
  if(DEFINED ENV{KESTREL_ARM64_SYSROOT})
    set(KESTREL_ARM64_SYSROOT "$ENV{KESTREL_ARM64_SYSROOT}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(KESTREL_ARM64_SYSROOT "$ENV{XDG_CACHE_HOME}/kestrel/arm64-sysroot")
  else()
    set(KESTREL_ARM64_SYSROOT "$ENV{HOME}/.cache/kestrel/arm64-sysroot")
  endif()
endif()
if(NOT EXISTS "${KESTREL_ARM64_SYSROOT}/.sysroot-stamp")
  message(FATAL_ERROR "No aarch64 root at ${KESTREL_ARM64_SYSROOT}: make it with scripts/arm64-sysroot.sh")
endif()
# try_compile's projects read this file again: they get the same root.
set(ENV{KESTREL_ARM64_SYSROOT} "${KESTREL_ARM64_SYSROOT}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTREL_ARM64_SYSROOT)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Without GCC's notes that std::pair is passed as before GCC 10.1: every
# aarch64 object here is built by the same compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
set(CMAKE_SYSROOT "${KESTREL_ARM64_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${KESTREL_ARM64_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The host's pkg-config, reading the root's .pc files only.
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${KESTREL_ARM64_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
    "${KESTREL_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${KESTREL_ARM64_SYSROOT}/usr/share/pkgconfig:${KESTREL_ARM64_SYSROOT}/usr/lib/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})
# Qt's code generators (moc, rcc, uic) are the host's, of the same Qt version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# Every aarch64 program that the build or the tests start runs in qemu-user,
# its libraries and dynamic loader taken from the root.
# By its full path: the tests start it with posix_spawn, which searches no PATH.
find_program(KESTREL_QEMU_AARCH64 qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${KESTREL_QEMU_AARCH64}" -cpu cortex-a72 -L "${KESTREL_ARM64_SYSROOT}")
