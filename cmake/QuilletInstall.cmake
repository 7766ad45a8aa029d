# What a user gets beside the programs: the licence, a user's guide, and on Linux the
# manual pages and the shell completions. The native build installs them under the usual
# prefix (`cmake --install build/release --prefix /usr/local`) and the Debian package is
# made from the same rules; the Windows build puts them beside the programs in the zip.
# (The programs' own install rules are in cli/ and app/.)

if(WIN32)
  return()
endif()

include(GNUInstallDirs)
set(generated ${CMAKE_BINARY_DIR}/packaging)

# Manual pages with the version filled in; installed compressed, the way Debian wants
# them (gzip -9, no file name or time stamp inside).
set(compressed)
foreach(page quillet quillet-maker)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.in ${generated}/${page}.1 @ONLY)
  list(APPEND compressed ${generated}/${page}.1)
endforeach()
set(gzipped)
foreach(file IN LISTS compressed)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
  list(APPEND gzipped ${file}.gz)
endforeach()
add_custom_target(quillet-docs ALL DEPENDS ${gzipped})

install(FILES ${generated}/quillet.1.gz ${generated}/quillet-maker.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/completion/quillet.bash
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillet)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/completion/_quillet
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions)
