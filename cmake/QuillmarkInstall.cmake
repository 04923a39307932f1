# What `cmake --install` puts where: the two programs, the map files they find
# relative to themselves with the format files beside them, the desktop entry with its icon and file type, and
# the man pages.
install(TARGETS quillmark-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quillmark)
  install(TARGETS quillmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES dist/linux/quillmark.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES dist/linux/quillmark.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES dist/linux/quillmark.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
endif()

install(FILES maps/nsf0200.map maps/nsf0301.map maps/nsf0200.fmt maps/nsf0301.fmt
  maps/integrity.rules
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmark/maps)

# The man pages carry the one project version.
set(manPages quillmark-cli)
if(TARGET quillmark)
  list(APPEND manPages quillmark)
endif()
foreach(page IN LISTS manPages)
  configure_file(docs/man/${page}.1.in man/${page}.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
