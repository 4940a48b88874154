# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, for std::thread).
# VORNIX_WIN_PREFIX (a cache variable or the environment) is where scripts/build-windows installs the cross-built
# third-party libraries; pkg-config and find_package look there and in the MinGW sysroot only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

if(NOT VORNIX_WIN_PREFIX)
  set(VORNIX_WIN_PREFIX "$ENV{VORNIX_WIN_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORNIX_WIN_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple} ${VORNIX_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR}
    "${VORNIX_WIN_PREFIX}/lib/pkgconfig:${VORNIX_WIN_PREFIX}/share/pkgconfig:/usr/${mingw_triple}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The programs run alone: no libgcc, libstdc++ or winpthread DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
