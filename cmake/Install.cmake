# What `cmake --install` puts where: the GNU layout below any prefix, with
# DESTDIR honoured. The programs find share/boxora from their own folder
# (see InstallLayout.h), so the installed tree may be moved as a whole.
set(BOXORA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/boxora)
set(BOXORA_DESKTOP_ID com.talvenor.Boxora)
set(BOXORA_LINUX_DIR ${CMAKE_SOURCE_DIR}/res/linux)

install(TARGETS boxora-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The decoding helper both programs start; they look for it beside themselves.
install(TARGETS boxora-decode RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(BOXORA_BUILD_GUI)
  install(TARGETS boxora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# What the programs read at run time, and the example scenes.
install(DIRECTORY languages help examples DESTINATION ${BOXORA_INSTALL_DATADIR})
install(DIRECTORY data DESTINATION ${BOXORA_INSTALL_DATADIR} PATTERN README.md EXCLUDE)

# Desktop integration: menu entry, software-centre data, the scene files'
# MIME type and their thumbnails, icons.
install(FILES ${BOXORA_LINUX_DIR}/${BOXORA_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
string(TIMESTAMP BOXORA_RELEASE_DATE "%Y-%m-%d" UTC)  # follows SOURCE_DATE_EPOCH when set
configure_file(${BOXORA_LINUX_DIR}/${BOXORA_DESKTOP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/linux/${BOXORA_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/linux/${BOXORA_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${BOXORA_LINUX_DIR}/${BOXORA_DESKTOP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${BOXORA_LINUX_DIR}/boxora.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(DIRECTORY ${BOXORA_LINUX_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${BOXORA_LINUX_DIR}/icons/${BOXORA_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${BOXORA_LINUX_DIR}/icons/application-x-boxora-scene.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

# Manual pages, compressed as Debian wants them (man reads both forms).
find_program(BOXORA_GZIP gzip)
foreach(page boxora.1 boxora-render.1)
  if(BOXORA_GZIP)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/linux/${page}.gz
      COMMAND ${BOXORA_GZIP} -9nc ${BOXORA_LINUX_DIR}/man/${page} > ${CMAKE_BINARY_DIR}/linux/${page}.gz
      DEPENDS ${BOXORA_LINUX_DIR}/man/${page} VERBATIM)
    list(APPEND BOXORA_MAN_PAGES ${CMAKE_BINARY_DIR}/linux/${page}.gz)
  else()
    list(APPEND BOXORA_MAN_PAGES ${BOXORA_LINUX_DIR}/man/${page})
  endif()
endforeach()
add_custom_target(boxora_man_pages ALL DEPENDS ${BOXORA_MAN_PAGES})
install(FILES ${BOXORA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${BOXORA_LINUX_DIR}/completion/boxora-render
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
