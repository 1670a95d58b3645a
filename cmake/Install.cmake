# Two ways to install, as two install components:
#
# "portable" (what `cmake --install build --prefix DIR` does): DIR becomes a
# portable Quenlark folder, the program with its files beside it. Those files
# belong to the user once installed: a file the user edited is kept on
# reinstall; one still as shipped is refreshed. A desktop entry and the icon
# go to the user's XDG folders so the program shows in the desktop's menu.
#
# "system" (what `cpack -G DEB` packs, left out of a plain install): the
# program under /usr/lib/quenlark with its files beside it, /usr/bin/quenlark
# linking to it, and the desktop entry, icons, metainfo, man page and
# copyright under /usr/share. The program copies its files into each user's
# data folder at start-up, so the user's edits live there.
# The list of the files shipped beside the program, one name a line, beside
# it in the build, the portable folder and the package: a system install's
# per-user copy holds these files and no other.
set(qlk_shipped "")
foreach(qlk_file IN LISTS QLK_DATA)
  get_filename_component(qlk_name "${qlk_file}" NAME)
  string(APPEND qlk_shipped "${qlk_name}\n")
endforeach()
set(QLK_SHIPPED_LIST ${CMAKE_BINARY_DIR}/.quenlark-shipped)
file(GENERATE OUTPUT ${QLK_SHIPPED_LIST} CONTENT "${qlk_shipped}")
add_custom_command(TARGET quenlark POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QLK_SHIPPED_LIST} $<TARGET_FILE_DIR:quenlark>
  COMMENT "Copying the list of the files beside the program")
install(FILES ${QLK_SHIPPED_LIST} DESTINATION . COMPONENT portable)
install(FILES ${QLK_SHIPPED_LIST} DESTINATION lib/quenlark COMPONENT system EXCLUDE_FROM_ALL)

option(QLK_INSTALL_DESKTOP_ENTRY "Install a desktop entry and icon for the current user" ON)

install(TARGETS quenlark quenlark-run RUNTIME DESTINATION . COMPONENT portable)
install(CODE "set(QLK_DATA_FILES \"${QLK_DATA}\")" COMPONENT portable)
install(CODE "set(QLK_DESKTOP_ENTRY ${QLK_INSTALL_DESKTOP_ENTRY})" COMPONENT portable)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallData.cmake COMPONENT portable)

set(QLK_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(QLK_APP_ID org.quenlark.Quenlark)
install(TARGETS quenlark quenlark-run RUNTIME DESTINATION lib/quenlark COMPONENT system EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION lib/quenlark USE_SOURCE_PERMISSIONS
  COMPONENT system EXCLUDE_FROM_ALL)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ../lib/quenlark/quenlark ${CMAKE_BINARY_DIR}/packaging/quenlark SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/quenlark DESTINATION bin COMPONENT system EXCLUDE_FROM_ALL)
foreach(size 16 32 64 128)
  install(FILES ${CMAKE_SOURCE_DIR}/data/quenlark-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
    RENAME quenlark.png COMPONENT system EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${QLK_PACKAGING}/${QLK_APP_ID}.desktop DESTINATION share/applications
  COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${QLK_PACKAGING}/${QLK_APP_ID}.metainfo.xml DESTINATION share/metainfo
  COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${QLK_PACKAGING}/copyright DESTINATION share/doc/quenlark COMPONENT system EXCLUDE_FROM_ALL)

# The man page and the changelog go in compressed, as Debian expects.
find_program(QLK_GZIP gzip)
if(QLK_GZIP)
  foreach(doc quenlark.1 changelog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
      COMMAND ${QLK_GZIP} -9nc ${QLK_PACKAGING}/${doc} > ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
      DEPENDS ${QLK_PACKAGING}/${doc} VERBATIM)
  endforeach()
  add_custom_target(quenlark_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/quenlark.1.gz
    ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/quenlark.1.gz DESTINATION share/man/man1
    COMPONENT system EXCLUDE_FROM_ALL)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/quenlark
    COMPONENT system EXCLUDE_FROM_ALL)
endif()

# `cpack -G DEB` in the build folder: one package of the "system" component.
set(CPACK_PACKAGE_NAME quenlark)
set(CPACK_PACKAGE_VENDOR "Quenlark developers")
set(CPACK_PACKAGE_CONTACT "Quenlark developers <dev@quenlark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compile and run Java sources with one button")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quenlark)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL system)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(NOT DEFINED CPACK_DEBIAN_PACKAGE_VERSION)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The scripts run javac, java and our applet viewer (a jar built with the
# JDK's javac, which building needs too), so a JDK is a hard dependency: without one
# every run button only reports that javac is missing, and a learner who
# installs with --no-install-recommends would be left with that. Any JDK
# will do; apt picks Debian's default one. The full JDK (not headless), as a
# learner's programs open windows. xdg-utils opens files in the desktop's
# editor; a Japanese font makes the window readable.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "default-jdk | java-sdk, xdg-utils, fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
# Qt's own Japanese translation of standard buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION
  "Quenlark is a small tool window for people who learn Java by writing sources
in a plain text editor. Pick the folder that holds your sources, type or pick
a class name, and press one button to compile it, run it as an application,
or run it as an applet. The output of the Java tools shows in a result window
while it is written. The interface is in Japanese.
.
The scripts and templates the buttons use are copied into each user's data
folder at start-up, where the user may edit them; edits are kept when the
package is upgraded.")
# The package's lintian overrides. From Debian 13 on, lintian reports
# AppStream's request for a homepage (appstream-metadata-validation-failed),
# which the project cannot meet yet; Debian 12's lintian knows no such tag
# and rejects an override of it (alien-tag). A package is built on the
# release it is for, so the builder's release decides.
set(qlk_overrides ${CMAKE_SOURCE_DIR}/packaging/quenlark.lintian-overrides)
file(READ ${qlk_overrides} qlk_overrides_text)
# The release's major number; testing and unstable have none.
set(qlk_os_major "")
if(EXISTS /etc/os-release)
  file(STRINGS /etc/os-release qlk_os_version REGEX "^VERSION_ID=")
  string(REGEX REPLACE "^VERSION_ID=\"?([0-9]+).*$" "\\1" qlk_os_major "${qlk_os_version}")
endif()
if(qlk_os_major STREQUAL "" OR qlk_os_major GREATER 12)
  file(READ ${qlk_overrides}.appstream qlk_appstream_text)
  string(APPEND qlk_overrides_text "${qlk_appstream_text}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qlk_overrides} ${qlk_overrides}.appstream)
file(WRITE ${CMAKE_BINARY_DIR}/quenlark.lintian-overrides "${qlk_overrides_text}")
install(FILES ${CMAKE_BINARY_DIR}/quenlark.lintian-overrides DESTINATION share/lintian/overrides
  RENAME quenlark COMPONENT system EXCLUDE_FROM_ALL)

include(CPack)
