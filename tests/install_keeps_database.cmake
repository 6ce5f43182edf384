# Installs the application folder twice with a user's database in between: the second install must
# leave the database exactly as it was. The installs go to a folder of the test's own, through a copy of
# the build's install script that keeps its install record there too: the build's own install_manifest.txt
# (what was really installed) stays as it was.
# The install prefix is a stand-in for ~/.local; the application folder is the one below it.
set(root "${WORK_DIR}/local")
set(prefix "${root}/share/odomark")
set(record "${BUILD_DIR}/install_manifest.txt")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

if(EXISTS "${record}")
  file(READ "${record}" record_before)
endif()
file(READ "${BUILD_DIR}/cmake_install.cmake" script)
set(manifest_write "file(WRITE \"${BUILD_DIR}/\${CMAKE_INSTALL_MANIFEST}\"")
string(FIND "${script}" "${manifest_write}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "cmake_install.cmake does not write its install record where this test expects it")
endif()
string(REPLACE "${manifest_write}" "file(WRITE \"${WORK_DIR}/\${CMAKE_INSTALL_MANIFEST}\"" script "${script}")
file(WRITE "${WORK_DIR}/cmake_install.cmake" "${script}")

function(install_once)
  execute_process(COMMAND ${CMAKE_COMMAND} -DCMAKE_INSTALL_PREFIX=${root} -P "${WORK_DIR}/cmake_install.cmake"
                  WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install into ${root} failed")
  endif()
endfunction()

install_once()
if(NOT EXISTS "${prefix}/miles/miles.mil")
  message(FATAL_ERROR "first install did not create miles/miles.mil")
endif()
file(READ "${prefix}/miles/miles.mil" header LIMIT 15 HEX)
if(NOT header STREQUAL "53514c69746520666f726d61742033") # "SQLite format 3"
  message(FATAL_ERROR "miles.mil is not an SQLite 3 file: '${header}'")
endif()
file(WRITE "${prefix}/miles/miles.mil" "the user's trips")
install_once()
file(READ "${prefix}/miles/miles.mil" after)
if(NOT after STREQUAL "the user's trips")
  message(FATAL_ERROR "reinstalling changed the user's database")
endif()

if(NOT EXISTS "${WORK_DIR}/install_manifest.txt")
  message(FATAL_ERROR "the test's install record was not written in its own folder")
endif()
if(DEFINED record_before)
  file(READ "${record}" record_after)
  if(NOT record_after STREQUAL record_before)
    message(FATAL_ERROR "the test changed the build's install record ${record}")
  endif()
elseif(EXISTS "${record}")
  message(FATAL_ERROR "the test wrote the build's install record ${record}")
endif()
message(STATUS "reinstall kept the database")
