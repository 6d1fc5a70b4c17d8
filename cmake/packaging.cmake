# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
#   cmake --install <build> --prefix /usr/local
#   cd <build> && cpack            # vexorama_<version>_<arch>.deb
#
# The web engine module goes to <prefix>/lib/vexorama/, where the program
# looks for it relative to its own folder (../lib/vexorama/). Installed in a
# folder the user cannot write, the program keeps its settings in
# $XDG_CONFIG_HOME/vexorama/vexorama.INI.

set(VEXO_APP_ID io.github.vexorama.Vexorama)
set(VEXO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS vexorama RUNTIME DESTINATION bin)
if(TARGET vexorama_web)
    install(TARGETS vexorama_web LIBRARY DESTINATION lib/vexorama)
endif()
install(FILES ${VEXO_PACKAGING_DIR}/${VEXO_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${VEXO_PACKAGING_DIR}/${VEXO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 96 128 256)
    install(FILES ${VEXO_PACKAGING_DIR}/icons/vexorama-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${VEXO_APP_ID}.png)
endforeach()
install(FILES ${VEXO_PACKAGING_DIR}/icons/vexorama.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${VEXO_APP_ID}.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexorama)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexorama")
set(CPACK_PACKAGE_CONTACT "Vexorama team <vexorama@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop client for the Vexo file-sharing service")
set(CPACK_PACKAGE_DESCRIPTION "Decodes the service's encoded pictures and videos, joins split files and fetches waiting files from the service's server, from a window that lives in the system tray.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# dpkg-shlibdeps fills in the libraries of the program and the web module
# (the X11 platform plugin comes with libqt6gui6, the engine's helper
# process with libqt6webenginewidgets6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened at the first download rather than linked, so
# dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, xdg-utils")
include(CPack)
