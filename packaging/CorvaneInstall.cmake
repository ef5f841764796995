# Install rules for the three programs, the desktop program's help pages and its desktop
# entry, in the places Linux users look for them (GNUInstallDirs):
#   bin/corvservice, bin/Corvane, bin/corvscreen (and bin/corvquery, bin/corvsnap)
#   share/corvane/Help/            the help pages
#   share/applications/corvane.desktop
#   share/icons/hicolor/scalable/apps/corvane.svg   the program's icon, a small wind rose
#   share/mime/packages/corvane.xml                 the .crvn profile type the entry opens
# The service's own unit, corvservice.service, the manual pages and the software centre's entry
# are installed by packaging/CMakeLists.txt; "corvservice -install" writes its corvane.service
# with the program's path. Included once, from service/CMakeLists.txt.
include(GNUInstallDirs)

install(TARGETS corvservice RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The other programs are defined in folders configured after this one, so their rules are
# added once the whole tree is read.
function(corvane_install_other_programs)
  # Deferred calls run in the top folder's scope, which has not read GNUInstallDirs.
  include(GNUInstallDirs)
  foreach(program Corvane corvscreen corvquery corvsnap)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  if(TARGET Corvane)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane-mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME corvane.xml)
    # The desktop's caches learn the new type and icon; skipped in packaging (DESTDIR), where
    # the package's own triggers do it.
    install(CODE [[
      if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
        set(share "${CMAKE_INSTALL_PREFIX}/share")
        find_program(update_mime update-mime-database)
        if(update_mime)
          execute_process(COMMAND ${update_mime} "${share}/mime" OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(update_desktop update-desktop-database)
        if(update_desktop)
          execute_process(COMMAND ${update_desktop} "${share}/applications" OUTPUT_QUIET ERROR_QUIET)
        endif()
      endif()
    ]])
  endif()
  # The manual's pages (desktop/manual) are installed as the Help folder.
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/desktop/manual)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/desktop/manual/
            DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/Help)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL corvane_install_other_programs)

# The screen saver as a hack for the Linux screen-saver hosts:
#   libexec/xscreensaver/corvscreen                 where XScreenSaver looks for hacks
#   share/xscreensaver/config/corvscreen.xml        its entry in XScreenSaver's settings
#   share/applications/screensavers/corvscreen.desktop   for xfce4- and mate-screensaver
# bin/corvscreen (above) opens the options with "corvscreen /c".
function(corvane_install_screensaver)
  if(NOT TARGET corvscreen)
    return()
  endif()
  # Deferred calls run in the top folder's scope, which has not read GNUInstallDirs.
  include(GNUInstallDirs)
  set(hack_dir ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
  install(TARGETS corvscreen RUNTIME DESTINATION ${hack_dir})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvscreen.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
  set(CORVSCREEN_HACK ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver/corvscreen)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/corvscreen.desktop.in
                 ${PROJECT_BINARY_DIR}/packaging/corvscreen.desktop @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/corvscreen.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL corvane_install_screensaver)
