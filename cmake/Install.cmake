# What `cmake --install` puts where, and the Debian package made from it.
#
#   bin/varno, bin/varno-sim             the game and the rules tool
#   lib/varno/                           the platform layer and zephane
#   share/varno/                         the data folder (level file, sounds, music)
#   share/applications/, share/metainfo/ the desktop entry and AppStream data
#   share/icons/hicolor/*/apps/          the application icon, 16 to 256 pixels
#   share/man/man6/                      varno.6, varno-sim.6
#   share/doc/varno/                     copyright and change log
#
# Demos, benchmarks, generators and tests are not installed.

file(STRINGS ${CMAKE_SOURCE_DIR}/dist/app-id VARNO_APP_ID LIMIT_COUNT 1)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS varno varno-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS platform zephane LIBRARY DESTINATION ${VARNO_INSTALL_LIBDIR})

# The data folder as the game reads it; the puzzles' solutions are the
# level check's input and stay with the sources, as do screenshots.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${VARNO_INSTALL_DATADIR}
        PATTERN solutions.txt EXCLUDE
        PATTERN "varno-*.bmp" EXCLUDE
        PATTERN ".*" EXCLUDE)

install(FILES ${CMAKE_SOURCE_DIR}/dist/${VARNO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/${VARNO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the change log are installed compressed, as Debian wants
# them; -n keeps the name and time out, so the bytes do not change from
# build to build.
find_program(VARNO_GZIP gzip REQUIRED)
set(varno_compressed)
foreach(source varno.6 varno-sim.6 changelog)
  set(output ${CMAKE_BINARY_DIR}/dist/${source}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
    COMMAND ${VARNO_GZIP} -9nc ${CMAKE_SOURCE_DIR}/dist/${source} > ${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/dist/${source}
    VERBATIM)
  list(APPEND varno_compressed ${output})
endforeach()
add_custom_target(varno_dist ALL DEPENDS ${varno_compressed})
install(FILES ${CMAKE_BINARY_DIR}/dist/varno.6.gz ${CMAKE_BINARY_DIR}/dist/varno-sim.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varno)

# ---- The Debian package (scripts/package.sh) --------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varno)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Telmar Software")
set(CPACK_PACKAGE_CONTACT "Telmar Software <support@telmar-software.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D action puzzle game of rolling cubes and mines")
# The summary above is the synopsis line; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A formation of coloured cubes rolls, one square at a time, towards the far
end of a narrow field. The player steers a small figure, plants mines and
sets them off while a cube stands on them. Gray, Green and Blue cubes must
be destroyed before they roll off the end, Red ones must not be, and Black
ones cannot be.
.
The game has a tutorial, levels of puzzles, a puzzle editor that keeps the
player's own puzzles in their home folder, sound and music, and every text
and spoken line in English and Esperanto. varno-sim checks and plays level
files without a window.")
# The libraries' packages are found from the programs and libraries by
# dpkg-shlibdeps; our own two libraries come with the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# What the programs load by name at run time rather than link: the OpenGL
# and EGL dispatch libraries (through the GL loader), the fonts whose names
# the texts ask for, and a General MIDI sound font for the music.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, fonts-liberation2, timgm6mb-soundfont | fluid-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
