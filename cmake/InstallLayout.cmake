# Where an installed Vantrel puts its files, below the install prefix.
#
# The window program and the programs it starts (ErrorReport, and an
# updater "update" when one is installed) share one private folder, since
# the window looks for them beside itself; bin/vantrel links to it.
include(GNUInstallDirs)
set(VANTREL_INSTALL_PROGRAMDIR "lib/vantrel")
set(VANTREL_INSTALL_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/vantrel")

# The help page as the window program finds it from its own folder.
file(RELATIVE_PATH VANTREL_HELP_FROM_PROGRAM
  "/prefix/${VANTREL_INSTALL_PROGRAMDIR}" "/prefix/${VANTREL_INSTALL_DOCDIR}/help.html")
