# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
#   cmake --install <build> --prefix /usr/local
#   cd <build> && cpack            # vexorama_<version>-<release>_<arch>.deb
#                                  # and vexorama-web_<version>-<release>_<arch>.deb
#
# Two install components, one package each: "vexorama" (everything but the
# web pages) and "web" (the web engine module). The module goes to
# <prefix>/lib/vexorama/, where the program looks for it relative to its own
# folder (../lib/vexorama/); without it the page tabs say so. Installed in a
# folder the user cannot write, the program keeps its settings in
# $XDG_CONFIG_HOME/vexorama/vexorama.INI.

set(VEXO_APP_ID io.github.vexorama.Vexorama)
set(VEXO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vexorama)

# The substitute service's tools come along: the demo and packagers use them.
install(TARGETS vexorama vexo-server vexo-encode RUNTIME DESTINATION bin)
if(TARGET vexorama_web)
    install(TARGETS vexorama_web LIBRARY DESTINATION lib/vexorama COMPONENT web)
endif()
install(FILES ${VEXO_PACKAGING_DIR}/${VEXO_APP_ID}.desktop DESTINATION share/applications)
# The metainfo and the manual pages name the version of project(); they are
# filled in here, into the build tree, and installed from there.
set(VEXO_CONFIGURED_DIR ${PROJECT_BINARY_DIR}/packaging)
configure_file(${VEXO_PACKAGING_DIR}/${VEXO_APP_ID}.metainfo.xml.in ${VEXO_CONFIGURED_DIR}/${VEXO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${VEXO_CONFIGURED_DIR}/${VEXO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(page vexorama.1 vexo-server.1 vexo-encode.1)
    configure_file(${VEXO_PACKAGING_DIR}/man/${page}.in ${VEXO_CONFIGURED_DIR}/man/${page} @ONLY)
endforeach()
foreach(size 16 24 32 48 96 128 256)
    install(FILES ${VEXO_PACKAGING_DIR}/icons/vexorama-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${VEXO_APP_ID}.png)
endforeach()
install(FILES ${VEXO_PACKAGING_DIR}/icons/vexorama.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${VEXO_APP_ID}.svg)

# Manual pages and the Debian changelog are installed compressed with
# gzip -9n: no name and no time stamp inside, so that two builds give the
# same bytes.
find_program(VEXO_GZIP gzip REQUIRED)
set(VEXO_COMPRESSED_DIR ${PROJECT_BINARY_DIR}/packaging)
set(VEXO_COMPRESSED_FILES "")
foreach(source ${VEXO_CONFIGURED_DIR}/man/vexorama.1 ${VEXO_CONFIGURED_DIR}/man/vexo-server.1
               ${VEXO_CONFIGURED_DIR}/man/vexo-encode.1 ${VEXO_PACKAGING_DIR}/changelog.Debian)
    get_filename_component(name ${source} NAME)
    set(output ${VEXO_COMPRESSED_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${VEXO_COMPRESSED_DIR}/${name}
                       COMMAND ${VEXO_GZIP} -9nf ${VEXO_COMPRESSED_DIR}/${name}
                       DEPENDS ${source}
                       COMMENT "Compressing ${source}"
                       VERBATIM)
    list(APPEND VEXO_COMPRESSED_FILES ${output})
endforeach()
add_custom_target(vexo_packaging_files ALL DEPENDS ${VEXO_COMPRESSED_FILES})
install(FILES ${VEXO_COMPRESSED_DIR}/vexorama.1.gz ${VEXO_COMPRESSED_DIR}/vexo-server.1.gz
              ${VEXO_COMPRESSED_DIR}/vexo-encode.1.gz
        DESTINATION share/man/man1)
install(FILES ${VEXO_PACKAGING_DIR}/copyright ${VEXO_COMPRESSED_DIR}/changelog.Debian.gz
        DESTINATION share/doc/vexorama)
if(TARGET vexorama_web)
    # Debian wants the licences and the changelog in each package's own folder.
    install(FILES ${VEXO_PACKAGING_DIR}/copyright ${VEXO_COMPRESSED_DIR}/changelog.Debian.gz
            DESTINATION share/doc/vexorama-web COMPONENT web)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexorama)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision: packaging/changelog.Debian names the same version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR "Vexorama")
set(CPACK_PACKAGE_CONTACT "Vexorama team <vexorama@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/vexorama/vexorama")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_STRIP_FILES ON)

# One package per component. The web pages need Qt WebEngine, some 190 MB
# that the rest of the program never loads, so they come in a package of
# their own that the program only recommends.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_VEXORAMA_PACKAGE_NAME vexorama)
set(CPACK_DEBIAN_WEB_PACKAGE_NAME vexorama-web)
set(CPACK_DEBIAN_WEB_PACKAGE_SOURCE vexorama)
# The module is built against this very program: exactly the same version.
set(CPACK_COMPONENT_WEB_DEPENDS vexorama)
# Each description's first line is the package's summary.
string(JOIN "\n" CPACK_DEBIAN_VEXORAMA_DESCRIPTION
    "Desktop client for the Vexo file-sharing service"
    "Vexorama decodes the Vexo service's encoded pictures and videos, joins"
    "split files and fetches waiting files from the service's server, from a"
    "window that lives in the system tray."
    ""
    "The package also holds vexo-server, a substitute for the service's"
    "server for demos and tests, and vexo-encode, which makes encoded files."
    "The service's web pages are in vexorama-web.")
string(JOIN "\n" CPACK_DEBIAN_WEB_DESCRIPTION
    "Web pages of the Vexo service for Vexorama"
    "The module that shows the Vexo service's pages (upload management,"
    "news) in Vexorama's window and removes fetched files from the server"
    "in the background, on Qt WebEngine. Without it the page tabs say that"
    "they are unavailable and removals go through the browser.")

# dpkg-shlibdeps fills in the libraries that each package's own ELF files
# link (the X11 platform plugin comes with libqt6gui6, the engine's helper
# process with libqt6webenginewidgets6). It is run by our own script rather
# than by CPack, which would add postinst and postrm scripts calling
# ldconfig for the module: its private folder is no library folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_shlibdeps.cmake
                            ${PROJECT_SOURCE_DIR}/cmake/deb_source_date.cmake)
# The changelog whose latest entry dates every file in the packages.
set(CPACK_VEXO_CHANGELOG ${VEXO_PACKAGING_DIR}/changelog.Debian)
# libcurl is opened at the first download rather than linked, so
# dpkg-shlibdeps cannot see it. Qt's own texts in Russian are data files
# the program does without, as it does without the web pages, and Wayland
# desktops are served through XWayland without qt6-wayland.
set(CPACK_DEBIAN_VEXORAMA_PACKAGE_DEPENDS "libcurl4")
set(CPACK_DEBIAN_VEXORAMA_PACKAGE_RECOMMENDS
    "vexorama-web, qt6-translations-l10n, qt6-wayland, hicolor-icon-theme, xdg-utils")
include(CPack)
