# Install rules and the Debian package. `cmake --install build --prefix P` puts the program, its menu entry, its
# icons, its AppStream description and its documentation under P; scripts/package makes the .deb with CPack.
# The executable carries its shaders and help picture inside, so nothing else is installed.
if(WIN32)   # the zip and the installer: their own layout
  include(cmake/PackagingWindows.cmake)
  return()
endif()
include(GNUInstallDirs)

install(TARGETS vornix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/desktop/vornix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The file types the menu entry names that shared-mime-info does not know (GIMP gradients and palettes).
install(FILES resources/desktop/vornix-mime.xml RENAME vornix.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# The AppStream description names the release: the project version, and the day it was made.
set(VORNIX_RELEASE_DATE 2026-12-08)
configure_file(resources/desktop/org.vornix.vornix.metainfo.xml.in org.vornix.vornix.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.vornix.vornix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 128 256)
  install(FILES resources/icons/vornix-${size}.png RENAME vornix.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # vornix_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the vornix developers <maintainers@vornix.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executable links are found by dpkg-shlibdeps; zenity shows the save dialog, and Liberation Sans
# is the font the framerate line asks for (any other font works too).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS zenity)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive real-time 2D fluid simulation")
# The control file's first Description line is the summary; CPack indents the long text below it.
set(CPACK_PACKAGE_DESCRIPTION "vornix shows dye carried by a swirling fluid in one window: the right mouse \
button drops dye, the left button pushes the fluid. The dye is coloured through eight colour schemes with optional \
lighting; a floating panel holds presets, brush sizes, viscosity, diffusion, time step, grid size and the choice \
between a CPU and a GPU solver. Pictures can be saved as PNG or JPEG.")
include(CPack)
