# The sanitizers' report folder around a test run: `-DACTION=clear` empties
# it before the first test, `-DACTION=check` shows every report found after
# the last one and fails when there is any. cmake -DFOLDER=... -DACTION=... -P
if(ACTION STREQUAL "clear")
  # Reports of children nobody waits for reach only the folder that
  # ASAN_OPTIONS names; run elsewhere, they would be lost without a word.
  string(FIND "$ENV{ASAN_OPTIONS}" "log_path=${FOLDER}/" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "ASAN_OPTIONS does not send reports to ${FOLDER}; "
                        "run the suite with `ctest --preset sanitize`")
  endif()
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
