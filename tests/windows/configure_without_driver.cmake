# The programs' build configured where no driver has been built stops at once, with one line that
# says what to build first, instead of failing later in the build on a missing qvtouch.sys.
#
#   cmake -DSOURCE=DIR -DTOOLCHAIN=FILE -DWORK=DIR -P configure_without_driver.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G Ninja
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DQVTOUCH_DRIVER_BUILD=${WORK}/no-driver
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE_RECURSE ${WORK})
if(result EQUAL 0)
  message(FATAL_ERROR "configured without a driver")
endif()
set(line "${WORK}/no-driver/platform/kernel_nt/qvtouch.sys is not built: build the driver first \
(cmake --preset windows-driver && cmake --build --preset windows-driver)")
string(FIND "${output}" "${line}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no line saying what to build first:\n${output}")
endif()
