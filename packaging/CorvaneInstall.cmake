# Install rules for the three programs, the desktop program's help pages and its desktop
# entry, in the places Linux users look for them (GNUInstallDirs):
#   bin/corvservice, bin/Corvane, bin/corvscreen (and bin/corvquery, bin/corvsnap)
#   share/corvane/Help/            the help pages
#   share/applications/corvane.desktop
# The service's unit is not installed: "corvservice -install" writes it with the program's
# path. Included once, from service/CMakeLists.txt.
include(GNUInstallDirs)

install(TARGETS corvservice RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The other programs are defined in folders configured after this one, so their rules are
# added once the whole tree is read.
function(corvane_install_other_programs)
  foreach(program Corvane corvscreen corvquery corvsnap)
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
