# The Windows package: `cmake --install build-windows --prefix P --strip` lays out what the zip holds (the program,
# README.txt, LICENSE.txt and the licence texts of the libraries built into it), and CPack's NSIS generator makes the
# installer build-windows/vornix-<version>-win64-setup.exe from the same files (scripts/build-windows runs both).
install(TARGETS vornix RUNTIME DESTINATION .)
configure_file(cmake/windows/README.txt.in ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
# The libraries' licences come with the cross-built prefix; the test and benchmark libraries are not in vornix.exe.
install(DIRECTORY ${VORNIX_WIN_PREFIX}/licenses/ DESTINATION licenses
        PATTERN googletest.txt EXCLUDE PATTERN benchmark.txt EXCLUDE)
install(FILES /usr/share/doc/libz-mingw-w64-dev/copyright DESTINATION licenses RENAME zlib.txt OPTIONAL)
# The MinGW-w64 runtime linked into the program (its C runtime start-up and winpthreads).
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licenses RENAME mingw-w64-runtime.txt OPTIONAL)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME vornix)
set(CPACK_PACKAGE_VENDOR "the vornix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY vornix)
set(CPACK_PACKAGE_FILE_NAME vornix-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/icons/vornix.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/icons/vornix.ico)
set(CPACK_STRIP_FILES ON)
# Our own installer script (cmake/windows/NSIS.template.in) instead of CPack's.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/windows)
include(CPack)
