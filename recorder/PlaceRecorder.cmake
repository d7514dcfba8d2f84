# Puts the built recorder SOURCE into the application directory DESTINATION as quillsnd.exe, with the
# library PROGRAM that it loads beside it, unless a recorder of the user's own is there. A stamp beside
# it holds the hash of the copy placed last: a file that still has that hash is ours to update; any
# other file there is left as it is.
# Usage: cmake -DSOURCE=... -DPROGRAM=... -DDESTINATION=... -P PlaceRecorder.cmake
set(target "${DESTINATION}/quillsnd.exe")
set(stamp "${DESTINATION}/.quillsnd.exe.placed")

# Copied beside it and renamed over it, so that a copy that is running is replaced, not overwritten.
function(place from to)
  if(EXISTS "${to}")
    file(SHA256 "${from}" new)
    file(SHA256 "${to}" old)
    if(new STREQUAL old)
      return()
    endif()
  endif()
  file(COPY_FILE "${from}" "${to}.new")
  file(CHMOD "${to}.new" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  file(RENAME "${to}.new" "${to}")
  message(STATUS "Placed the recorder: ${to}")
endfunction()

file(SHA256 "${SOURCE}" built)
if(EXISTS "${target}")
  file(SHA256 "${target}" present)
  set(placed "")
  if(EXISTS "${stamp}")
    file(STRINGS "${stamp}" placed LIMIT_COUNT 1)
  endif()
  if(NOT present STREQUAL built AND NOT present STREQUAL placed)
    message(STATUS "Keeping the recorder that is already there: ${target}")
    return()
  endif()
endif()

file(MAKE_DIRECTORY "${DESTINATION}")
get_filename_component(program_name "${PROGRAM}" NAME)
place("${PROGRAM}" "${DESTINATION}/${program_name}")
place("${SOURCE}" "${target}")
file(WRITE "${stamp}" "${built}\n")
