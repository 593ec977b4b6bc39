# The help pages, built into the widgets library as resources under
# qrc:/help/ and installed beside the other shared files.
set(TIDEMARK_HELP_PAGES
  index.html mainwindow.html file.html edit.html options.html editor.html schedule.html ical.html csv.html device.html help.css)
list(TRANSFORM TIDEMARK_HELP_PAGES PREPEND ${PROJECT_SOURCE_DIR}/share/help/ OUTPUT_VARIABLE _help_files)
qt_add_resources(tidemark_widgets "help_pages"
  PREFIX "/help"
  BASE ${PROJECT_SOURCE_DIR}/share/help
  FILES ${_help_files})
install(FILES ${_help_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/tidemark/help)
