# `cmake --install` on Linux: the programs in their own program folder (with
# readme.txt beside them, where the Readme button looks) and linked into the
# binary folder, and the freedesktop pieces in the places the specifications
# name: a desktop entry, hicolor icons, AppStream metainfo, a shared-mime-info
# package and the manual pages.
if(WIN32)
  return()
endif()

include(GNUInstallDirs)
# Debian's package name rather than the project's.
set(KORVANE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/korvane")

set(KORVANE_INSTALL_PROGRAMDIR "lib/korvane" CACHE STRING
    "Program folder below the prefix: korvane, korvane-cli and readme.txt side by side")
set(KORVANE_RELEASE_DATE "2026-12-07" CACHE STRING "Date of this version (metainfo, manual pages)")
# Folders of Windows builds whose korvane-cli.exe is installed as the helper
# that writes a Wine prefix's registry; missing ones are skipped at install time.
set(KORVANE_WINDOWS_HELPER_DIRS
    "${CMAKE_SOURCE_DIR}/build/win32-x86/bin;${CMAKE_SOURCE_DIR}/build/win32-x64/bin" CACHE STRING
    "Folders holding Windows builds of korvane-cli.exe to install (win32-x86, win32-x64)")

set(KORVANE_APP_ID "org.example.korvane")
set(KORVANE_HOMEPAGE "https://korvane.example.org/")
set(KORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)

if(IS_ABSOLUTE "${KORVANE_INSTALL_PROGRAMDIR}")
  set(KORVANE_FULL_PROGRAMDIR "${KORVANE_INSTALL_PROGRAMDIR}")
else()
  set(KORVANE_FULL_PROGRAMDIR "${CMAKE_INSTALL_PREFIX}/${KORVANE_INSTALL_PROGRAMDIR}")
endif()
# The installed program folder, where the Linux programs also look for the
# Windows korvane-cli.exe when they run from elsewhere (a build tree).
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/platform/posix/WineRunner.cpp TARGET_DIRECTORY korvane_platform
             APPEND PROPERTY COMPILE_DEFINITIONS KORVANE_INSTALLED_PROGRAM_DIR="${KORVANE_FULL_PROGRAMDIR}")
set(KORVANE_DESKTOP_EXEC "${CMAKE_INSTALL_FULL_BINDIR}/korvane")
set(KORVANE_FULL_DATADIR "${CMAKE_INSTALL_FULL_DATADIR}")
set(korvane_generated "${CMAKE_BINARY_DIR}/packaging")
set(korvane_packaging "${CMAKE_SOURCE_DIR}/packaging")

# A link in the binary folder to a program of the program folder; relative
# when both lie below the prefix, so the tree can move.
function(korvane_install_program_link name)
  if(IS_ABSOLUTE "${KORVANE_INSTALL_PROGRAMDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(target "${KORVANE_FULL_PROGRAMDIR}/${name}")
  else()
    file(RELATIVE_PATH target "/prefix/${CMAKE_INSTALL_BINDIR}"
         "/prefix/${KORVANE_INSTALL_PROGRAMDIR}/${name}")
  endif()
  install(CODE "
    set(link \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/${name}\")
    if(NOT IS_ABSOLUTE \"${CMAKE_INSTALL_BINDIR}\")
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\")
    endif()
    get_filename_component(folder \"\${link}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${folder}\")
    message(STATUS \"Installing: \${link} -> ${target}\")
    file(CREATE_LINK \"${target}\" \"\${link}\" SYMBOLIC)")
endfunction()

# Manual pages: version and date filled in, compressed as Debian keeps them.
function(korvane_manual_page name)
  configure_file("${korvane_packaging}/man/${name}.1.in" "${korvane_generated}/man/${name}.1" @ONLY)
  add_custom_command(OUTPUT "${korvane_generated}/man/${name}.1.gz"
    COMMAND gzip -9 -n -k -f "${korvane_generated}/man/${name}.1"
    DEPENDS "${korvane_packaging}/man/${name}.1.in"
    COMMENT "Compressing the manual page ${name}(1)" VERBATIM)
  add_custom_target(korvane_man_${name} ALL DEPENDS "${korvane_generated}/man/${name}.1.gz")
  install(FILES "${korvane_generated}/man/${name}.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endfunction()

# Debian's documentation folder: the licence in the machine-readable copyright
# format (every licence line indented one blank, a blank line as " .") and the
# package's changelog, compressed as Debian keeps it.
file(READ "${CMAKE_SOURCE_DIR}/LICENSE" korvane_license)
string(STRIP "${korvane_license}" korvane_license)
string(REPLACE "\n\n" "\n.\n" korvane_license "${korvane_license}")
string(REPLACE "\n" "\n " KORVANE_LICENSE_PARAGRAPH " ${korvane_license}")
configure_file("${korvane_packaging}/debian/copyright.in" "${korvane_generated}/copyright" @ONLY)
install(FILES "${korvane_generated}/copyright" DESTINATION "${KORVANE_INSTALL_DOCDIR}")
execute_process(COMMAND date -u -R -d "${KORVANE_RELEASE_DATE}"
                OUTPUT_VARIABLE KORVANE_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${korvane_packaging}/debian/changelog.in" "${korvane_generated}/changelog.Debian" @ONLY)
add_custom_command(OUTPUT "${korvane_generated}/changelog.Debian.gz"
  COMMAND gzip -9 -n -k -f "${korvane_generated}/changelog.Debian"
  DEPENDS "${korvane_packaging}/debian/changelog.in"
  COMMENT "Compressing the package's changelog" VERBATIM)
add_custom_target(korvane_changelog ALL DEPENDS "${korvane_generated}/changelog.Debian.gz")
install(FILES "${korvane_generated}/changelog.Debian.gz" DESTINATION "${KORVANE_INSTALL_DOCDIR}")

# korvane-cli and the user's guide.
install(TARGETS korvane-cli RUNTIME DESTINATION "${KORVANE_INSTALL_PROGRAMDIR}")
korvane_install_program_link(korvane-cli)
install(FILES "${CMAKE_SOURCE_DIR}/src/ui/readme.txt" DESTINATION "${CMAKE_INSTALL_DATADIR}/korvane")
file(RELATIVE_PATH korvane_readme_link "/prefix/${KORVANE_INSTALL_PROGRAMDIR}"
     "/prefix/${CMAKE_INSTALL_DATADIR}/korvane/readme.txt")
if(IS_ABSOLUTE "${KORVANE_INSTALL_PROGRAMDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  set(korvane_readme_link "${CMAKE_INSTALL_FULL_DATADIR}/korvane/readme.txt")
endif()
install(CODE "
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KORVANE_INSTALL_PROGRAMDIR}\")
  if(IS_ABSOLUTE \"${KORVANE_INSTALL_PROGRAMDIR}\")
    set(folder \"\$ENV{DESTDIR}${KORVANE_INSTALL_PROGRAMDIR}\")
  endif()
  file(MAKE_DIRECTORY \"\${folder}\")
  message(STATUS \"Installing: \${folder}/readme.txt -> ${korvane_readme_link}\")
  file(CREATE_LINK \"${korvane_readme_link}\" \"\${folder}/readme.txt\" SYMBOLIC)")
korvane_manual_page(korvane-cli)

# The Windows helpers, when those builds exist by the time of installing.
foreach(helper_dir IN LISTS KORVANE_WINDOWS_HELPER_DIRS)
  get_filename_component(helper_build "${helper_dir}" DIRECTORY)
  get_filename_component(helper_name "${helper_build}" NAME)
  install(CODE "
    if(EXISTS \"${helper_dir}/korvane-cli.exe\")
      file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${KORVANE_INSTALL_PROGRAMDIR}/${helper_name}\"
           TYPE PROGRAM FILES \"${helper_dir}/korvane-cli.exe\")
    endif()")
endforeach()

if(NOT TARGET korvane)
  return()
endif()

install(TARGETS korvane RUNTIME DESTINATION "${KORVANE_INSTALL_PROGRAMDIR}")
korvane_install_program_link(korvane)
korvane_manual_page(korvane)

configure_file("${korvane_packaging}/korvane.desktop.in"
               "${korvane_generated}/${KORVANE_APP_ID}.desktop" @ONLY)
install(FILES "${korvane_generated}/${KORVANE_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
configure_file("${korvane_packaging}/korvane.metainfo.xml.in"
               "${korvane_generated}/${KORVANE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${korvane_generated}/${KORVANE_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${korvane_packaging}/korvane-mime.xml" RENAME korvane.xml
        DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")

# Icons: the window icon's drawing rendered at each size, and its vector form.
add_executable(korvane_render_icons "${korvane_packaging}/icons/render_icons.cpp")
target_link_libraries(korvane_render_icons PRIVATE korvane_ui)
korvane_warnings(korvane_render_icons)
set(korvane_icon_files)
foreach(size IN LISTS KORVANE_ICON_SIZES)
  list(APPEND korvane_icon_files "${korvane_generated}/hicolor/${size}x${size}/apps/korvane.png")
endforeach()
add_custom_command(OUTPUT ${korvane_icon_files}
  COMMAND korvane_render_icons "${korvane_generated}/hicolor" ${KORVANE_ICON_SIZES}
  DEPENDS korvane_render_icons
  COMMENT "Rendering the hicolor icons" VERBATIM)
add_custom_target(korvane_icons ALL DEPENDS ${korvane_icon_files})
install(DIRECTORY "${korvane_generated}/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
install(FILES "${korvane_packaging}/icons/korvane.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
