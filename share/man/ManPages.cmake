# The manual pages, written in scdoc and turned into troff at build time.
# Without scdoc the build goes on without them.
set(TIDEMARK_MAN_PAGES tidemark.1 tidemark-cli.1 tidemark-device.1)
set(TIDEMARK_MAN_PAGE_FILES "")

find_program(SCDOC_EXECUTABLE scdoc)
if(NOT SCDOC_EXECUTABLE)
  message(STATUS "scdoc not found: the manual pages are not built (scripts/install-deps.sh installs it)")
  return()
endif()
# Installed compressed, as Debian keeps its manual pages.
find_program(GZIP_EXECUTABLE gzip)

set(_man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
foreach(page IN LISTS TIDEMARK_MAN_PAGES)
  # The version goes in first; scdoc itself has no variables.
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.scd ${_man_dir}/${page}.scd @ONLY)
  add_custom_command(
    OUTPUT ${_man_dir}/${page} ${_man_dir}/${page}.gz
    COMMAND ${CMAKE_COMMAND} -DSCDOC=${SCDOC_EXECUTABLE} -DGZIP=${GZIP_EXECUTABLE} -DINPUT=${_man_dir}/${page}.scd
            -DOUTPUT=${_man_dir}/${page} -P ${CMAKE_CURRENT_SOURCE_DIR}/man/RunScdoc.cmake
    DEPENDS ${_man_dir}/${page}.scd ${CMAKE_CURRENT_SOURCE_DIR}/man/RunScdoc.cmake
    COMMENT "Writing the manual page ${page}")
  list(APPEND TIDEMARK_MAN_PAGE_FILES ${_man_dir}/${page})
  if(GZIP_EXECUTABLE)
    install(FILES ${_man_dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${_man_dir}/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
add_custom_target(tidemark_man_pages ALL DEPENDS ${TIDEMARK_MAN_PAGE_FILES})
