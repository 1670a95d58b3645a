# Runs at install time. Copies the files beside the program without
# overwriting the user's edits: a manifest records the checksum of each file
# as installed, and a file whose checksum differs from it was edited.
set(dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(manifest "${dest}/.quenlark-installed")
set(recorded "")
if(EXISTS "${manifest}")
  file(STRINGS "${manifest}" recorded)
endif()

set(lines "")
foreach(source IN LISTS QLK_DATA_FILES)
  get_filename_component(name "${source}" NAME)
  set(target "${dest}/${name}")
  file(SHA256 "${source}" shipped)
  set(previous "")
  foreach(line IN LISTS recorded)
    if(line MATCHES "^([0-9a-f]+)  (.*)$" AND CMAKE_MATCH_2 STREQUAL name)
      set(previous "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(copy TRUE)
  if(EXISTS "${target}")
    file(SHA256 "${target}" present)
    if(NOT present STREQUAL shipped AND NOT present STREQUAL previous)
      set(copy FALSE)
    endif()
  endif()
  if(copy)
    file(COPY "${source}" DESTINATION "${dest}" USE_SOURCE_PERMISSIONS)
    message(STATUS "Installing: ${target}")
    list(APPEND lines "${shipped}  ${name}")
  else()
    message(STATUS "Keeping your edited copy: ${target}")
    if(previous)
      list(APPEND lines "${previous}  ${name}")
    endif()
  endif()
endforeach()
list(JOIN lines "\n" text)
file(WRITE "${manifest}" "${text}\n")

# Only for an install straight into place: an install into a staging folder
# (DESTDIR set) must not write into the home of whoever runs it. A non-empty
# string in if(NOT ...) is not false, so the test compares the text itself.
if(QLK_DESKTOP_ENTRY AND "$ENV{DESTDIR}" STREQUAL "")
  set(data_home "$ENV{XDG_DATA_HOME}")
  if(NOT data_home)
    set(data_home "$ENV{HOME}/.local/share")
  endif()
  foreach(size 16 32 64 128)
    if(EXISTS "${dest}/quenlark-${size}.png")
      file(MAKE_DIRECTORY "${data_home}/icons/hicolor/${size}x${size}/apps")
      file(COPY_FILE "${dest}/quenlark-${size}.png" "${data_home}/icons/hicolor/${size}x${size}/apps/quenlark.png")
    endif()
  endforeach()
  file(REAL_PATH "${dest}" program_dir)
  file(MAKE_DIRECTORY "${data_home}/applications")
  file(WRITE "${data_home}/applications/quenlark.desktop"
"[Desktop Entry]
Type=Application
Name=Quenlark
Comment=Compile and run Java sources with one button
Comment[ja]=ボタン一つで Java のコンパイルと実行
Exec=\"${program_dir}/quenlark\"
Path=${program_dir}
Icon=quenlark
Terminal=false
Categories=Development;Java;
")
  message(STATUS "Desktop entry: ${data_home}/applications/quenlark.desktop")
endif()
