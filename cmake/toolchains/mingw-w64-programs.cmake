# The Windows programs, cross-built with mingw-w64 for the bitness whose toolchain file includes
# this one (it sets QVTOUCH_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR). The POSIX thread model
# gives the C++ library std::thread, which the calibration program's worker uses.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QVTOUCH_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVTOUCH_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QVTOUCH_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QVTOUCH_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
