# Cross build for 64-bit Windows with mingw-w64 (Debian's mingw-w64 package).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QVTOUCH_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
