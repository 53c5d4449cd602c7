# Install rules that follow Debian's habits, for every program and manual
# page of the host packages.
include(GNUInstallDirs)
find_program(VEXA_GZIP gzip REQUIRED)

# Installs FILE into DESTINATION compressed with gzip -9n (no name, no time
# stamp, so the same input gives the same bytes), as Debian keeps changelogs
# and manual pages.
function(vexa_install_gzipped file destination)
  get_filename_component(name "${file}" NAME)
  set(packed "${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name}.gz")
  add_custom_command(
    OUTPUT "${packed}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/gzipped"
    COMMAND sh -c "'${VEXA_GZIP}' -9n -c \"$1\" > \"$2\"" sh "${file}" "${packed}"
    DEPENDS "${file}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "vexa_gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS "${packed}")
  install(FILES "${packed}" DESTINATION "${destination}")
endfunction()

# vexa_add_manpage(<source>.<section>): the page with @PROJECT_VERSION@ put
# in, compressed and installed into share/man/man<section>.
function(vexa_add_manpage source)
  get_filename_component(name "${source}" NAME)
  string(REGEX MATCH "[1-9]$" section "${name}")
  if(NOT section)
    message(FATAL_ERROR "vexa_add_manpage: ${source} does not end in a manual section")
  endif()
  configure_file("${source}" "${CMAKE_CURRENT_BINARY_DIR}/man/${name}" @ONLY)
  vexa_install_gzipped("${CMAKE_CURRENT_BINARY_DIR}/man/${name}" "${CMAKE_INSTALL_MANDIR}/man${section}")
endfunction()

# vexa_install_program(<target> <destination>): installs the program; a
# stripping install (CPack's) also drops the compiler's notes (.comment),
# which the plain strip keeps and Debian's packaging removes.
function(vexa_install_program target destination)
  install(TARGETS ${target} RUNTIME DESTINATION "${destination}")
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
        RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"cannot drop .comment from $<TARGET_FILE_NAME:${target}>\")
      endif()
    endif()")
endfunction()
