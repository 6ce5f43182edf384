# bench/stress_crash.sh runs the test program of an existing build without building: a cmake that fails
# whenever it is called comes first on the PATH.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/cmake" "#!/bin/sh\necho 'cmake must not run' >&2\nexit 1\n")
file(CHMOD "${WORK_DIR}/cmake" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PATH=${WORK_DIR}:$ENV{PATH}" "BUILD_DIR=${BUILD_DIR}"
                        sh "${SOURCE_DIR}/bench/stress_crash.sh" 2
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "SavesSurviveAKillAtAnyMoment")
  message(FATAL_ERROR "stress_crash.sh did not run the existing build (${rc}):\n${out}")
endif()
