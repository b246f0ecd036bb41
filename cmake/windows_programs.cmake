# The calibration program, the settings applet and the post-install prompt as 32-bit Windows
# programs on the platform's own services, the installer of the whole system, and their tests
# under Wine.
enable_language(RC)
# The platform's headers without the parts the programs do not use, without the min and max
# macros, and without the status codes that common/status.h defines for itself.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX WIN32_NO_STATUS _WIN32_WINNT=0x0502)
# The programs need nothing beyond the system's own libraries.
add_link_options(-static)
math(EXPR program_bits "${CMAKE_SIZEOF_VOID_P} * 8")
# The driver that the installer carries and its tests use comes from the windows-driver build.
set(QVTOUCH_DRIVER_BUILD "${PROJECT_SOURCE_DIR}/build/windows-driver" CACHE PATH
  "The windows-driver preset's build folder, with qvtouch.sys and its test program")
set(QVTOUCH_DRIVER ${QVTOUCH_DRIVER_BUILD}/platform/kernel_nt/qvtouch.sys)
if(NOT EXISTS ${QVTOUCH_DRIVER})
  # Leading blank: CMake prints the line as it stands instead of wrapping it.
  message(FATAL_ERROR " ${QVTOUCH_DRIVER} is not built: build the driver first "
    "(cmake --preset windows-driver && cmake --build --preset windows-driver)")
endif()

add_subdirectory(common)
add_subdirectory(platform)
add_subdirectory(calib)
add_subdirectory(cpl)
add_subdirectory(rebootprompt)
add_subdirectory(packaging/windows)
add_subdirectory(tests/windows)

# Server 2003's kernel32 has no GetTickCount64, which the thread library calls: each program
# brings its own (linked as an object, so that it is there before the import is looked for).
add_library(qvtouch_tick_count OBJECT platform/base/tick_count_win32.cpp)
foreach(program qvsercalib QVTcpl Tollwen)
  target_link_libraries(${program} PRIVATE qvtouch_tick_count)
endforeach()
# The test inside ReactOS, a 32-bit system.
if(program_bits EQUAL 32)
  add_subdirectory(tests/reactos/guest)
endif()
