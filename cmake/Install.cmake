# Where a desktop expects Veyrune's files, under the chosen prefix, and the
# Debian package built from them with CPack.
include(GNUInstallDirs)

set(data ${PROJECT_SOURCE_DIR}/data)
set(icon_names org.veyrune.Veyrune org.veyrune.Veyrune-armed org.veyrune.Veyrune-disarmed)
set(icon_sizes 16 22 24 32 48 64 128 256)

install(TARGETS veyrune-verify RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET veyrune)
  install(TARGETS veyrune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The desktop entry's actions come from the application's quick menu.
set(desktop_entry ${CMAKE_CURRENT_BINARY_DIR}/data/org.veyrune.Veyrune.desktop)
add_custom_command(OUTPUT ${desktop_entry}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/data
  COMMAND veyrune-desktop-entry ${data}/org.veyrune.Veyrune.desktop.in ${desktop_entry}
  DEPENDS veyrune-desktop-entry ${data}/org.veyrune.Veyrune.desktop.in VERBATIM)
add_custom_target(veyrune_desktop_entry ALL DEPENDS ${desktop_entry})
install(FILES ${desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/org.veyrune.Veyrune.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
configure_file(${data}/org.veyrune.Veyrune.service.in
               ${CMAKE_CURRENT_BINARY_DIR}/data/org.veyrune.Veyrune.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/data/org.veyrune.Veyrune.service
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)
install(FILES ${PROJECT_SOURCE_DIR}/docs/veyrune-verify.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The journal's catalog of Veyrune's message IDs (journalctl -x shows it).
install(FILES ${data}/veyrune.catalog DESTINATION lib/systemd/catalog)

# The theme's PNG sizes are drawn from the SVGs at build time.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_outputs "")
foreach(name ${icon_names})
  install(FILES ${data}/icons/${name}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${icon_sizes})
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${name}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${data}/icons/${name}.svg
      DEPENDS ${data}/icons/${name}.svg VERBATIM)
    list(APPEND icon_outputs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endforeach()
add_custom_target(veyrune_icons ALL DEPENDS ${icon_outputs})

set(CPACK_GENERATOR DEB)
# The package installs where the service file's Exec points.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME veyrune)
set(CPACK_PACKAGE_VENDOR "The Veyrune developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flight recorder for a Linux desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Records wake and sleep, screen lock and unlock, USB devices, volumes, displays\n and the default audio output in a tamper-evident log, takes local evidence and\n sends alerts to Telegram and HTTPS webhooks.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Veyrune developers <support@veyrune.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEYRUNE_BUILD_NUMBER})
# Shared libraries are found by dpkg-shlibdeps; what it cannot see are the Qt
# plugins loaded at run time (a Wayland session without Xwayland needs Qt's
# Wayland platform plugin, or Qt aborts at start) and the services used over
# D-Bus (screenshots on Wayland go through the desktop portal).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, dbus-user-session | dbus-x11")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gnome-keyring | kwalletmanager, qt6-image-formats-plugins, xdg-desktop-portal")
include(CPack)
