# Installing Vantrel as a desktop program (cmake --install build --prefix P)
# and its Debian package (cpack -G DEB in the build folder).
#
#   bin/vantrel-tool
#   bin/vantrel -> ../lib/vantrel/vantrel
#   lib/vantrel/vantrel, lib/vantrel/ErrorReport, lib/vantrel/libvantrel-codecs.so
#   share/applications/vantrel.desktop
#   share/icons/hicolor/NxN/apps/vantrel.png
#   share/doc/vantrel/help.html, README.md (and its screenshot)

install(TARGETS vantrel ErrorReport RUNTIME DESTINATION ${VANTREL_INSTALL_PROGRAMDIR})
install(TARGETS vantrel-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The codec plugin lives with the window; vantrel-tool finds it through
# ../lib/vantrel from its own folder.
install(TARGETS vantrel-codecs LIBRARY DESTINATION ${VANTREL_INSTALL_PROGRAMDIR})

# The command on the PATH is a link: the program resolves it and finds
# ErrorReport and the help page from its real folder.
file(RELATIVE_PATH vantrel_link_target "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${VANTREL_INSTALL_PROGRAMDIR}/vantrel")
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  message(STATUS \"Installing: \${bin}/vantrel -> ${vantrel_link_target}\")
  file(CREATE_LINK \"${vantrel_link_target}\" \"\${bin}/vantrel\" SYMBOLIC)
")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vantrel.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/help.html ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VANTREL_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png DESTINATION ${VANTREL_INSTALL_DOCDIR}/docs)

# The Debian package: the same tree under /usr, its library dependencies
# worked out by dpkg-shlibdeps from the programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Tolvane)
set(CPACK_PACKAGE_CONTACT "Tolvane <vantrel@tolvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move MP4 videos between a computer folder and a PSP handheld")
set(CPACK_PACKAGE_DESCRIPTION "Vantrel shows the MP4 videos of a computer folder beside those on a PSP\nhandheld plugged in over USB, with thumbnails and stored titles, and copies\nor moves them either way under the handheld's own names.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin, which no library links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Opening folders and web pages goes through the desktop's xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
