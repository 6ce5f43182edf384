# Part of the install step (cmake --install): the database, the desktop entry, the launcher and the record
# of what was installed into the application folder. Folders are relative to the install prefix unless
# absolute; DESTDIR stages them for packagers.
include("${CMAKE_CURRENT_LIST_DIR}/app_folder.cmake")

odomark_absolute(app "${ODOMARK_APP_DIR}")
odomark_absolute(bin "${ODOMARK_BIN_DIR}")
odomark_absolute(data "${ODOMARK_DATA_DIR}")
set(stage "$ENV{DESTDIR}")

# The database is created only when it is absent: reinstalling never touches a user's trips.
set(db "${stage}${app}/miles/miles.mil")
if(NOT EXISTS "${db}")
  file(MAKE_DIRECTORY "${stage}${app}/miles")
  execute_process(COMMAND "${ODOMARK_MKDB}" "${ODOMARK_SCHEMA}" "${db}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Could not create ${db}")
  endif()
  message(STATUS "Created: ${db}")
else()
  message(STATUS "Kept: ${db}")
endif()

# The desktop entry starts the installed program. Exec quoting: a path with anything but plain characters
# goes in double quotes with ", `, $ and \ escaped, then \ once more as in every string value; % doubles.
set(program "${app}/odomark")
set(exec "${program}")
if(exec MATCHES "[^A-Za-z0-9/._+-]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
string(REPLACE "%" "%%" exec "${exec}")
file(READ "${ODOMARK_DESKTOP_IN}" entry)
string(REPLACE "@ODOMARK_EXEC@" "${exec}" entry "${entry}")
set(desktop "${stage}${data}/applications/odomark.desktop")
message(STATUS "Installing: ${desktop}")
file(WRITE "${desktop}" "${entry}")

# The launcher on the user's PATH: a relative link, so a staged install links the same way. Only a link to an
# Odomark program (this one, one elsewhere, or one since removed) is replaced; anything else there is the
# user's and is left as it is.
set(launcher "${stage}${bin}/odomark")
file(RELATIVE_PATH target "${bin}" "${program}")
set(replace TRUE)
if(IS_SYMLINK "${launcher}")
  file(READ_SYMLINK "${launcher}" old_target)
  if(NOT IS_ABSOLUTE "${old_target}")
    set(old_target "${stage}${bin}/${old_target}")
  endif()
  get_filename_component(old_name "${old_target}" NAME)
  get_filename_component(old_dir "${old_target}" DIRECTORY)
  odomark_folder_kind(old_kind "${old_dir}")
  if(EXISTS "${old_target}" AND NOT (old_name STREQUAL "odomark" AND old_kind MATCHES "^(ours|earlier)$"))
    set(replace FALSE)
    message(STATUS "Kept: ${launcher}, a link to ${old_target}, which is not Odomark. "
                   "Start Odomark as ${program}, or remove that link and install again.")
  elseif(EXISTS "${old_target}")
    file(REAL_PATH "${old_target}" old_real)
    file(REAL_PATH "${stage}${program}" new_real)
    if(NOT old_real STREQUAL new_real)
      message(STATUS "Replacing: ${launcher}, which started the Odomark in ${old_dir}")
    endif()
  endif()
elseif(EXISTS "${launcher}")
  set(replace FALSE)
  message(STATUS "Kept: ${launcher}, which is not a link made by this install. Start Odomark as ${program}.")
endif()
if(replace)
  file(MAKE_DIRECTORY "${stage}${bin}")
  file(REMOVE "${launcher}")
  file(CREATE_LINK "${target}" "${launcher}" SYMBOLIC)
  message(STATUS "Installing: ${launcher} -> ${target}")
endif()

# The help names the application folder by its usual place; an install elsewhere names its own.
set(help "${stage}${app}/help/wendlo.hlp")
if(EXISTS "${help}" AND NOT app STREQUAL "$ENV{HOME}/.local/share/odomark")
  file(READ "${help}" text)
  string(REPLACE "**~/.local/share/odomark**" "**${app}**" text "${text}")
  file(WRITE "${help}" "${text}")
endif()

# Last: what this install put into the application folder, for the uninstall.
odomark_record_installed("${app}" ${CMAKE_INSTALL_MANIFEST_FILES})
