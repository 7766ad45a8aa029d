# What a user gets beside the programs: the licence, a user's guide, and on Linux the
# manual pages and the shell completions. The native build installs them under the usual
# prefix (`cmake --install build/release --prefix /usr/local`) and the Debian package is
# made from the same rules; the Windows build puts them beside the programs in the zip.
# (The programs' own install rules are in cli/ and app/.)

if(WIN32)
  # For Windows users: a README page with the dialogs' pictures beside it, and the licence
  # with CR LF line ends, so that every editor shows its lines.
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/user/README.windows.html DESTINATION . RENAME README.html)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/screenshots/ DESTINATION screenshots
          FILES_MATCHING PATTERN "*.png")
  return()
endif()

include(GNUInstallDirs)
set(QUILLET_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillet)
set(generated ${CMAKE_BINARY_DIR}/packaging)

# The Debian copyright file in the machine-readable format, its licence text taken from
# LICENSE: the paragraphs after the copyright line, each line indented by one blank and
# each empty line written " .".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${license}")
set(QUILLET_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*\nCopyright[^\n]*\n\n" "" license_text "${license}")
string(REGEX REPLACE "\n+$" "" license_text "${license_text}")
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " QUILLET_LICENSE_TEXT " ${license_text}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/copyright.in ${generated}/copyright @ONLY)

# Manual pages with the version filled in, and the changelog; installed compressed, the
# way Debian wants them (gzip -9, no file name or time stamp inside).
set(compressed)
foreach(page quillet quillet-maker)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.in ${generated}/${page}.1 @ONLY)
  list(APPEND compressed ${generated}/${page}.1)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${generated}/changelog COPYONLY)
list(APPEND compressed ${generated}/changelog)
set(gzipped)
foreach(file IN LISTS compressed)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
  list(APPEND gzipped ${file}.gz)
endforeach()
add_custom_target(quillet-docs ALL DEPENDS ${gzipped})

# The changelog's newest entry names the version being packaged.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^quillet \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/debian/changelog: the newest entry is not version ${PROJECT_VERSION}")
endif()

install(FILES ${generated}/quillet.1.gz ${generated}/quillet-maker.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/completion/quillet.bash
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillet)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/completion/_quillet
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions)
install(FILES ${CMAKE_SOURCE_DIR}/docs/user/README.linux.md DESTINATION ${QUILLET_DOCDIR}
        RENAME README.md)
install(FILES ${generated}/copyright ${generated}/changelog.gz DESTINATION ${QUILLET_DOCDIR}
       )
