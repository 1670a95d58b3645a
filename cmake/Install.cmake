# `cmake --install build --prefix DIR` makes DIR a portable Quenlark folder:
# the program with its files beside it. Those files belong to the user once
# installed: a file the user edited is kept on reinstall; one still as shipped
# is refreshed. A desktop entry and the icon go to the user's XDG folders so
# the program shows in the desktop's menu.
option(QLK_INSTALL_DESKTOP_ENTRY "Install a desktop entry and icon for the current user" ON)

install(TARGETS quenlark RUNTIME DESTINATION .)
install(CODE "set(QLK_DATA_FILES \"${QLK_DATA}\")")
install(CODE "set(QLK_DESKTOP_ENTRY ${QLK_INSTALL_DESKTOP_ENTRY})")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallData.cmake)
