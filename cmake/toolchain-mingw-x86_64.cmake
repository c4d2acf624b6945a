# Cross toolchain: mingw-w64 for 64-bit Windows, posix threading model. The tree it configures
# builds only what ships as a 64-bit module (ShredMenu64.dll) and what its tests need.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
