# The Windows programs, for the bitness whose toolchain file includes this one. The POSIX thread
# model gives the C++ library std::thread, which the calibration program's worker uses.
set(QVTOUCH_MINGW_COMPILER_SUFFIX -posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
