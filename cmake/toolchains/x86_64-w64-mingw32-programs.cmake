# The same Windows programs built 64-bit, for testing under Wine on a machine whose kernel runs no
# 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QVTOUCH_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-programs.cmake)
