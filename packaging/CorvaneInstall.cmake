# Install rules for the three programs, the desktop program's help pages and its desktop
# entry, in the places Linux users look for them (GNUInstallDirs):
#   bin/corvservice, bin/Corvane, bin/corvscreen (and bin/corvquery)
#   share/corvane/Help/            the help pages
#   share/applications/corvane.desktop
# The service's unit is not installed: "corvservice -install" writes it with the program's
# path. Included once, from service/CMakeLists.txt.
include(GNUInstallDirs)

install(TARGETS corvservice RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The other programs are defined in folders configured after this one, so their rules are
# added once the whole tree is read.
function(corvane_install_other_programs)
  foreach(program Corvane corvscreen corvquery)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  if(TARGET Corvane)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/desktop/Help)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/desktop/Help
            DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
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
