# Puts the built recorder SOURCE into the application directory DESTINATION as quillsnd.exe, unless a
# recorder of the user's own is there. A stamp beside it holds the hash of the copy placed last: a
# file that still has that hash is ours to update; any other file there is left as it is.
# Usage: cmake -DSOURCE=... -DDESTINATION=... -P PlaceRecorder.cmake
set(target "${DESTINATION}/quillsnd.exe")
set(stamp "${DESTINATION}/.quillsnd.exe.placed")

file(SHA256 "${SOURCE}" built)
if(EXISTS "${target}")
  file(SHA256 "${target}" present)
  set(placed "")
  if(EXISTS "${stamp}")
    file(STRINGS "${stamp}" placed LIMIT_COUNT 1)
  endif()
  if(present STREQUAL built)
    return()
  endif()
  if(NOT present STREQUAL placed)
    message(STATUS "Keeping the recorder that is already there: ${target}")
    return()
  endif()
endif()

file(MAKE_DIRECTORY "${DESTINATION}")
# Copied beside it and renamed over it, so that a copy that is running is replaced, not overwritten.
file(COPY_FILE "${SOURCE}" "${target}.new")
file(CHMOD "${target}.new" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(RENAME "${target}.new" "${target}")
file(WRITE "${stamp}" "${built}\n")
message(STATUS "Placed the recorder: ${target}")
