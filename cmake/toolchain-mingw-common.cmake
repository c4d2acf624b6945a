# What both mingw-w64 cross toolchains share; the including file sets CMAKE_SYSTEM_PROCESSOR
# and _triple first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_AR           ${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_triple}-ranlib CACHE FILEPATH "")
set(SUITE_OBJDUMP      ${_triple}-objdump)
set(SUITE_DLLTOOL      ${_triple}-dlltool)
set(SUITE_CXXFILT      ${_triple}-c++filt)
set(SUITE_WIDL         ${_triple}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test binary runs through Wine, in the build tree's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
