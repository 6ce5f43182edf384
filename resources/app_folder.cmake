# Odomark's application folder in the install step: it installs only into an empty folder or its own, and
# keeps there the record of the files it put in, which is all that run.sh --uninstall removes.
# The record, ".odomark-install", is a first line naming the folder as Odomark's, then one installed file a
# line, relative to the folder. run.sh reads the same record and tells the folders apart by the same rules.

set(ODOMARK_RECORD ".odomark-install")
set(ODOMARK_RECORD_HEADER "# Odomark application folder: the files its install put here, which its uninstall removes.")

# Folders are relative to the install prefix unless absolute; DESTDIR stages them for packagers.
function(odomark_absolute out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# ours: the record is there. earlier: an install from before the record (odomark, libwendlo.so and
# miles/miles.mil), or what an uninstall of one left (miles/ with miles.mil, error.log, odomark.conf).
# empty or absent: free. other: a file, or a folder with files of someone else's.
function(odomark_folder_kind out dir)
  if(NOT EXISTS "${dir}" AND NOT IS_SYMLINK "${dir}")
    set(kind absent)
  elseif(NOT IS_DIRECTORY "${dir}")
    set(kind other)
  elseif(EXISTS "${dir}/${ODOMARK_RECORD}" AND NOT IS_DIRECTORY "${dir}/${ODOMARK_RECORD}")
    set(kind ours)
  else()
    file(GLOB entries LIST_DIRECTORIES true RELATIVE "${dir}" "${dir}/*")
    set(kind other)
    if(NOT entries)
      set(kind empty)
    elseif(EXISTS "${dir}/miles/miles.mil")
      if(EXISTS "${dir}/odomark" AND EXISTS "${dir}/libwendlo.so")
        set(kind earlier)
      else()
        list(REMOVE_ITEM entries miles error.log odomark.conf)
        if(NOT entries)
          set(kind earlier)
        endif()
      endif()
    endif()
  endif()
  set(${out} ${kind} PARENT_SCOPE)
endfunction()

# The first install step: stops the install before any file is copied into a folder that is not free or
# Odomark's, and marks a free one as Odomark's.
function(odomark_claim_app_folder)
  odomark_absolute(app "${ODOMARK_APP_DIR}")
  set(dir "$ENV{DESTDIR}${app}")
  odomark_folder_kind(kind "${dir}")
  if(kind STREQUAL "other")
    message(FATAL_ERROR "Odomark installs only into an empty folder or its own application folder, and ${dir} "
                        "is neither: it holds files of someone else's (or is a file). Nothing was installed. "
                        "Choose another folder (ODOMARK_HOME=/some/new/folder ./run.sh).")
  endif()
  if(NOT kind STREQUAL "ours")
    file(MAKE_DIRECTORY "${dir}")
    file(WRITE "${dir}/${ODOMARK_RECORD}" "${ODOMARK_RECORD_HEADER}\n")
  endif()
endfunction()

# The last install step: adds the files this install put into the folder (installed lists them with their
# full paths) to the record; files an earlier version installed stay listed, so the uninstall finds them too.
function(odomark_record_installed app)
  set(dir "$ENV{DESTDIR}${app}")
  set(record "${dir}/${ODOMARK_RECORD}")
  # A CMake list splits wrongly at an unmatched [ or ], which a folder's name may hold: they are swapped for
  # control characters meanwhile.
  string(ASCII 1 open)
  string(ASCII 2 close)
  set(old "")
  if(EXISTS "${record}")
    file(READ "${record}" old)
  endif()
  set(installed "${ARGN}")
  set(prefix "${app}/")
  foreach(text old installed prefix)
    string(REPLACE "[" "${open}" ${text} "${${text}}")
    string(REPLACE "]" "${close}" ${text} "${${text}}")
  endforeach()
  string(REPLACE "\n" ";" old "${old}")
  set(files "")
  foreach(line IN LISTS old)
    if(NOT line STREQUAL "" AND NOT line MATCHES "^#")
      list(APPEND files "${line}")
    endif()
  endforeach()
  string(LENGTH "${prefix}" skip)
  foreach(path IN LISTS installed)
    string(FIND "${path}" "${prefix}" at)
    if(at EQUAL 0)
      string(SUBSTRING "${path}" ${skip} -1 relative)
      list(APPEND files "${relative}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES files)
  list(SORT files)
  string(REPLACE ";" "\n" text "${ODOMARK_RECORD_HEADER};${files}")
  string(REPLACE "${open}" "[" text "${text}")
  string(REPLACE "${close}" "]" text "${text}")
  # Written aside and renamed, so an interrupted install never leaves half a record.
  file(WRITE "${record}.new" "${text}\n")
  file(RENAME "${record}.new" "${record}")
endfunction()
