# What `cmake --install` puts where, and the Debian package CPack builds from it.
include(GNUInstallDirs)

set(VANTREL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vantrel)
set(VANTREL_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
set(VANTREL_ICON_SIZES 16 22 24 32 48 64 128 256 512)

# The programs (the application installs itself from src/app). The helper tools keep their
# built names beside the programs, where the application and vantrelctl look for them.
install(TARGETS vantrel-sim vantrelctl vantrel-smc vantrel-battery RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# vantrel-node, the root daemon for Linux machines, with its systemd unit and the tmpfiles entry
# that gives its socket the protocol's name. systemd looks in /usr/lib, whatever the prefix.
if(TARGET vantrel-node)
  install(TARGETS vantrel-node RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/node/vantrel-node.service DESTINATION lib/systemd/system)
  install(FILES ${CMAKE_SOURCE_DIR}/node/vantrel-node.tmpfiles DESTINATION lib/tmpfiles.d RENAME vantrel-node.conf)
endif()

# Resources the programs read from <prefix>/share/vantrel/ before their built-in copies.
install(FILES ${VANTREL_RESOURCES}/l10n/VantrelLanguagePack.json DESTINATION ${VANTREL_SHARE_DIR})
if(EXISTS ${VANTREL_RESOURCES}/ReleaseNotes.json)
  install(FILES ${VANTREL_RESOURCES}/ReleaseNotes.json DESTINATION ${VANTREL_SHARE_DIR})
endif()

# Manual pages, with the version filled in and compressed as Debian keeps them.
find_program(VANTREL_GZIP gzip REQUIRED)
foreach(page vantrel vantrelctl vantrel-sim)
  configure_file(${VANTREL_RESOURCES}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
    COMMAND ${VANTREL_GZIP} -9nf -k ${CMAKE_BINARY_DIR}/man/${page}.1
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1 ${VANTREL_RESOURCES}/man/${page}.1
    COMMENT "Compressing the ${page}(1) manual page")
  list(APPEND VANTREL_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(vantrel_man_pages ALL DEPENDS ${VANTREL_MAN_PAGES})
install(FILES ${VANTREL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Shell completions.
foreach(program vantrel vantrelctl vantrel-sim)
  install(FILES ${VANTREL_RESOURCES}/completions/${program}.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
  install(FILES ${VANTREL_RESOURCES}/completions/_${program} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
endforeach()

# The desktop entry, its AppStream description and the icons, with the application.
if(VANTREL_GUI)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/iconrender ${CMAKE_BINARY_DIR}/tools/iconrender)
  set(VANTREL_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  foreach(size ${VANTREL_ICON_SIZES})
    list(APPEND VANTREL_ICON_PNGS ${VANTREL_ICON_DIR}/hicolor/${size}x${size}/apps/${VANTREL_DESKTOP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${VANTREL_ICON_PNGS}
    COMMAND vantrel-icon-render ${VANTREL_ICON_DIR} ${VANTREL_DESKTOP_ID} ${VANTREL_ICON_SIZES}
    DEPENDS vantrel-icon-render
    COMMENT "Rendering the application icons")
  add_custom_target(vantrel_icons ALL DEPENDS ${VANTREL_ICON_PNGS})

  configure_file(${VANTREL_RESOURCES}/desktop/${VANTREL_DESKTOP_ID}.metainfo.xml
                 ${CMAKE_BINARY_DIR}/desktop/${VANTREL_DESKTOP_ID}.metainfo.xml @ONLY)
  install(FILES ${VANTREL_RESOURCES}/desktop/${VANTREL_DESKTOP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_BINARY_DIR}/desktop/${VANTREL_DESKTOP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${VANTREL_RESOURCES}/desktop/${VANTREL_DESKTOP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${VANTREL_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  # The copy the application itself loads for its window and tray item.
  install(FILES ${VANTREL_ICON_DIR}/hicolor/256x256/apps/${VANTREL_DESKTOP_ID}.png
          DESTINATION ${VANTREL_SHARE_DIR}/icons RENAME vantrel.png)
endif()

# cpack -G DEB: one package with everything above, for Debian 12. The library dependencies come
# from dpkg-shlibdeps; the rest is what the programs need at run time beyond their libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Morrowlight")
set(CPACK_PACKAGE_CONTACT "Vantrel maintainers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Thermal, fan, battery-charge and sleep control")
set(CPACK_PACKAGE_DESCRIPTION "Vantrel shows live temperatures, fan speeds, processor load, memory pressure and \
the power source, and controls fan curves and presets, the battery charge limit and sleep through its root \
daemon. The package holds the desktop application, vantrelctl for scripting, the vantrel-node daemon for \
this machine with its systemd unit, the vantrel-sim simulated Mac and the smc and battery helper tools.")
# The build keeps its debugging symbols; the package does not.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VANTREL_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt platform plugins (xcb, wayland, offscreen) are not part of libqt6gui6 on Debian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, dbus-user-session")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
# vantrel-node's group, socket link and unit reload (node/debian).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_SOURCE_DIR}/node/debian/postinst;${CMAKE_SOURCE_DIR}/node/debian/prerm;${CMAKE_SOURCE_DIR}/node/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
