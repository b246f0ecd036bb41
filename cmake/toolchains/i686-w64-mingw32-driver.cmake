# qvtouch.sys built 32-bit (mingw-w64's i686 compilers), for the 32-bit NT kernels it is tested on.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QVTOUCH_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
