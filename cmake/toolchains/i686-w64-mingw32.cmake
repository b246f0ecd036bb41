# The 32-bit Windows programs, as they are delivered.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QVTOUCH_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-programs.cmake)
