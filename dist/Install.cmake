# The install of a Linux game (cmake --install, and the Debian package made from it):
#   lib/games/hubbix/        the program tree: the launcher's folder with each game below it
#   games/hubbix, zeppolo    the commands
#   share/applications, share/icons/hicolor, share/metainfo, share/man/man6 and share/man/*/man6
#   (the translated manual pages), share/doc/hubbix
# Nothing goes to the prefix's root. The tree is the staged one, less what the programs write.
set(ZEP_INSTALL_TREE lib/games/hubbix)
set(ZEP_DIST ${CMAKE_SOURCE_DIR}/dist)
set(ZEP_APP_ID com.example.qorvexgames)

# The programs and the library as targets, so that a package strips them; the rest of the tree as
# staged, without the programs and without what the programs write at run time.
install(TARGETS Hubbix DESTINATION ${ZEP_INSTALL_TREE})
install(TARGETS Zeppolo DESTINATION ${ZEP_INSTALL_TREE}/Zeppolo)
install(TARGETS qz qzwindowegl LIBRARY DESTINATION ${ZEP_INSTALL_TREE}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(DIRECTORY ${ZEP_LAUNCHER_DIR}/ DESTINATION ${ZEP_INSTALL_TREE}
        REGEX "/Hubbix/Hubbix$" EXCLUDE REGEX "/Hubbix/Zeppolo/Zeppolo$" EXCLUDE
        REGEX "/Hubbix/libqz[.]so$" EXCLUDE REGEX "/Hubbix/libqzwindowegl[.]so$" EXCLUDE
        PATTERN "options.ini" EXCLUDE PATTERN "hiscore.dat" EXCLUDE PATTERN "debug.log" EXCLUDE
        PATTERN ".*" EXCLUDE)
install(PROGRAMS ${ZEP_DIST}/hubbix.sh DESTINATION games RENAME hubbix)
install(PROGRAMS ${ZEP_DIST}/zeppolo.sh DESTINATION games RENAME zeppolo)
# The desktop entries and the AppStream description with every language's translation merged in
# from the translations' files (po/), as msgfmt does for desktop files and AppStream's XML.
set(ZEP_TRANSLATED ${CMAKE_BINARY_DIR}/translated)
file(MAKE_DIRECTORY ${ZEP_TRANSLATED})
set(po_files)
foreach(language ${ZEP_LANGUAGES})
  list(APPEND po_files ${CMAKE_SOURCE_DIR}/po/${language}.po)
endforeach()
set(translated_files)
foreach(program Hubbix Zeppolo)
  set(entry ${ZEP_APP_ID}.${program}.desktop)
  add_custom_command(
    OUTPUT ${ZEP_TRANSLATED}/${entry}
    COMMAND ${MSGFMT} --desktop --template=${ZEP_DIST}/${entry} -d ${CMAKE_SOURCE_DIR}/po
            -o ${ZEP_TRANSLATED}/${entry}
    DEPENDS ${ZEP_DIST}/${entry} ${po_files} ${CMAKE_SOURCE_DIR}/po/LINGUAS
    VERBATIM)
  list(APPEND translated_files ${ZEP_TRANSLATED}/${entry})
endforeach()
set(metainfo ${ZEP_APP_ID}.Zeppolo.metainfo.xml)
add_custom_command(
  OUTPUT ${ZEP_TRANSLATED}/${metainfo}
  COMMAND ${MSGFMT} --xml --template=${ZEP_DIST}/${metainfo} -d ${CMAKE_SOURCE_DIR}/po
          -o ${ZEP_TRANSLATED}/${metainfo}
  DEPENDS ${ZEP_DIST}/${metainfo} ${po_files} ${CMAKE_SOURCE_DIR}/po/LINGUAS
  VERBATIM)
list(APPEND translated_files ${ZEP_TRANSLATED}/${metainfo})
install(FILES ${ZEP_TRANSLATED}/${ZEP_APP_ID}.Hubbix.desktop
              ${ZEP_TRANSLATED}/${ZEP_APP_ID}.Zeppolo.desktop
        DESTINATION share/applications)
install(FILES ${ZEP_TRANSLATED}/${metainfo} DESTINATION share/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${ZEP_ICON_DIR}/${size}x${size}/apps/hubbix.png
                ${ZEP_ICON_DIR}/${size}x${size}/apps/zeppolo.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the Debian changelog are installed compressed, as Debian keeps them.
set(ZEP_PACKED ${CMAKE_BINARY_DIR}/packed)
file(MAKE_DIRECTORY ${ZEP_PACKED})
set(packed_files)
foreach(source hubbix.6 zeppolo.6 changelog)
  set(output ${ZEP_PACKED}/${source}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND sh -c "gzip -9nc '${ZEP_DIST}/${source}' > '${output}'"
    DEPENDS ${ZEP_DIST}/${source}
    VERBATIM)
  list(APPEND packed_files ${output})
endforeach()
# Each language's manual pages, translated by po4a from the entries of that language's file that
# belong to the pages, and installed where man looks for them (share/man/de/man6). The tools
# translate-man.sh runs are looked for here, so that a missing one stops the configuration.
find_program(MSGGREP msggrep REQUIRED)
find_program(PO4A_TRANSLATE po4a-translate REQUIRED)
foreach(language ${ZEP_LANGUAGES})
  foreach(page hubbix.6 zeppolo.6)
    set(output ${ZEP_PACKED}/man/${language}/${page}.gz)
    add_custom_command(
      OUTPUT ${output}
      COMMAND bash ${ZEP_DIST}/translate-man.sh ${CMAKE_SOURCE_DIR}/po/${language}.po
              ${ZEP_DIST}/${page} ${output}
      DEPENDS ${ZEP_DIST}/${page} ${CMAKE_SOURCE_DIR}/po/${language}.po ${ZEP_DIST}/translate-man.sh
      COMMENT "Translating the manual page ${page} into ${language}"
      VERBATIM)
    list(APPEND packed_files ${output})
  endforeach()
  install(FILES ${ZEP_PACKED}/man/${language}/hubbix.6.gz ${ZEP_PACKED}/man/${language}/zeppolo.6.gz
          DESTINATION share/man/${language}/man6)
endforeach()
add_custom_target(zeppacked ALL DEPENDS ${packed_files} ${translated_files})
install(FILES ${ZEP_PACKED}/hubbix.6.gz ${ZEP_PACKED}/zeppolo.6.gz DESTINATION share/man/man6)
install(FILES ${ZEP_DIST}/copyright DESTINATION share/doc/hubbix)
# The metainfo's screenshot, for the maker's site to serve at the address the metainfo gives.
install(FILES ${ZEP_DIST}/screenshots/zeppolo.png DESTINATION share/doc/hubbix/screenshots)
install(FILES ${ZEP_PACKED}/changelog.gz DESTINATION share/doc/hubbix)

# cpack -G DEB in the build folder. Its dependencies come from the shared-library scan of the
# programs and libqz.so, which the scan finds in the package's own program tree.
set(CPACK_PACKAGE_NAME hubbix)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR QorvexGames)
set(CPACK_PACKAGE_CONTACT "QorvexGames <maintainers@qorvexgames.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed balloon-popping puzzle and its launcher")
set(CPACK_PACKAGE_DESCRIPTION
    "Zeppolo is a timed puzzle game: pop groups of same-coloured balloons on an\n\
18 x 14 board, blow rows sideways with the cloud buttons, and race the clock\n\
for points, bonuses and a place in the hall of fame. Hubbix, its launcher,\n\
keeps the players, the music and sound switches and each game's hall of fame.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ZEP_LAUNCHER_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# As Debian's own packages: the pictures of eight languages share much that xz finds again.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
