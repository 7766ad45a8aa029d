# Release packages: a Debian package of the command-line converter (native build) and a
# zip of both Windows programs (Windows build), each with the licence and a user's guide
# (cmake/QuilletInstall.cmake).
set(CPACK_PACKAGE_NAME "quillet")
set(CPACK_PACKAGE_VENDOR "Quillet Maker")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Palm Doc e-book maker (command line)")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# .invalid: the project has no mail domain yet; lintian rejects an address on localhost.
set(CPACK_PACKAGE_CONTACT "Quillet Maker developers <quillet@quillet-maker.invalid>")
set(CPACK_PACKAGE_FILE_NAME "quillet-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME "quillet-maker-${PROJECT_VERSION}-windows")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "text")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36)")  # the C++ runtime is linked in, and binds arc4random (2.36)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Makes Palm Doc e-books (.pdb) from text, HTML and existing Docs.\nquillet builds Palm Doc databases with PalmDOC-compressed records, reads\nthem back to text, converts HTML pages, and lists and installs books for\nthe HotSync users of Palm Desktop.")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/QuilletInstall.cmake)
include(CPack)
