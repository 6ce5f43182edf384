# Installs the application folder twice with a user's database in between: the second install must
# leave the database exactly as it was.
# The install prefix is a stand-in for ~/.local; the application folder is the one below it.
set(root "${WORK_DIR}/local")
set(prefix "${root}/share/odomark")
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${root}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0 OR NOT EXISTS "${prefix}/miles/miles.mil")
  message(FATAL_ERROR "first install did not create miles/miles.mil")
endif()
file(READ "${prefix}/miles/miles.mil" header LIMIT 15 HEX)
if(NOT header STREQUAL "53514c69746520666f726d61742033") # "SQLite format 3"
  message(FATAL_ERROR "miles.mil is not an SQLite 3 file: '${header}'")
endif()
file(WRITE "${prefix}/miles/miles.mil" "the user's trips")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${root}" RESULT_VARIABLE rc OUTPUT_QUIET)
file(READ "${prefix}/miles/miles.mil" after)
if(NOT rc EQUAL 0 OR NOT after STREQUAL "the user's trips")
  message(FATAL_ERROR "reinstalling changed the user's database")
endif()
message(STATUS "reinstall kept the database")
