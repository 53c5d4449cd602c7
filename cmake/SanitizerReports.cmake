# The sanitizers' report folder around a test run: `-DACTION=clear` empties
# it before the first test, `-DACTION=check` shows every report found after
# the last one and fails when there is any. cmake -DFOLDER=... -DACTION=... -P
if(ACTION STREQUAL "clear")
  file(REMOVE_RECURSE "${FOLDER}")
  file(MAKE_DIRECTORY "${FOLDER}")
  return()
endif()
file(GLOB reports "${FOLDER}/*")
if(reports)
  foreach(report ${reports})
    file(READ "${report}" text)
    message("==== ${report}\n${text}")
  endforeach()
  list(LENGTH reports count)
  message(FATAL_ERROR "${count} sanitizer reports in ${FOLDER}")
endif()
