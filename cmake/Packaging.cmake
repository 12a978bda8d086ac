# Installing as a desktop program, and the Debian package made from that
# (`cpack -G DEB` in the build folder): the programs, the launcher entry and
# icons (installed beside the editor's target), the AppStream metainfo, a
# manual page for each program and bash completion for stampora-batch. The
# tool's manual page and completion are made from its --help at build time.
include(GNUInstallDirs)
if(STAMPORA_FUZZ)
  return() # a fuzzing build is never installed
endif()

# The day PROJECT_VERSION was released; it goes with the version.
set(STAMPORA_RELEASE_DATE 2026-12-07)
set(STAMPORA_PACKAGE_MAINTAINER "Stampora developers" CACHE STRING "The Maintainer field of the Debian package")

# The summary and the categories are the launcher entry's.
set(desktop_entry ${CMAKE_CURRENT_SOURCE_DIR}/app/resources/stampora.desktop)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${desktop_entry})
file(STRINGS ${desktop_entry} STAMPORA_SUMMARY REGEX "^Comment=")
string(REPLACE "Comment=" "" STAMPORA_SUMMARY "${STAMPORA_SUMMARY}")
file(STRINGS ${desktop_entry} categories REGEX "^Categories=")
string(REPLACE "Categories=" "" categories "${categories}")
string(REPLACE "\\;" ";" categories "${categories}") # one list item a category
set(STAMPORA_CATEGORIES)
foreach(category ${categories})
  string(APPEND STAMPORA_CATEGORIES "\n    <category>${category}</category>")
endforeach()

set(packaging_in ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(packaging_outputs)

# A manual page is installed compressed, as Debian keeps them.
function(stampora_manual_page page)
  add_custom_command(OUTPUT ${packaging_out}/${page}.gz
    COMMAND gzip -9nkf ${packaging_out}/${page}
    DEPENDS ${packaging_out}/${page} VERBATIM)
  install(FILES ${packaging_out}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

if(TARGET stampora-batch)
  configure_file(${packaging_in}/stampora-batch.1.in ${packaging_out}/stampora-batch.1.in @ONLY)
  set(from_help ${packaging_in}/make-from-help.sh ${packaging_in}/batch-help.awk)
  add_custom_command(OUTPUT ${packaging_out}/stampora-batch.1
    COMMAND sh ${packaging_in}/make-from-help.sh $<TARGET_FILE:stampora-batch> man
      ${packaging_out}/stampora-batch.1.in ${packaging_out}/stampora-batch.1
    DEPENDS stampora-batch ${from_help} ${packaging_out}/stampora-batch.1.in VERBATIM)
  add_custom_command(OUTPUT ${packaging_out}/stampora-batch.bash
    COMMAND sh ${packaging_in}/make-from-help.sh $<TARGET_FILE:stampora-batch> completion
      ${packaging_in}/stampora-batch.bash.in ${packaging_out}/stampora-batch.bash
    DEPENDS stampora-batch ${from_help} ${packaging_in}/stampora-batch.bash.in VERBATIM)
  stampora_manual_page(stampora-batch.1)
  install(FILES ${packaging_out}/stampora-batch.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME stampora-batch)
  list(APPEND packaging_outputs ${packaging_out}/stampora-batch.1.gz ${packaging_out}/stampora-batch.bash)
endif()

if(TARGET stampora)
  configure_file(${packaging_in}/stampora.1.in ${packaging_out}/stampora.1 @ONLY)
  stampora_manual_page(stampora.1)
  configure_file(${packaging_in}/io.github.stampora.Stampora.metainfo.xml.in
    ${packaging_out}/io.github.stampora.Stampora.metainfo.xml @ONLY)
  install(FILES ${packaging_out}/io.github.stampora.Stampora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  list(APPEND packaging_outputs ${packaging_out}/stampora.1.gz)
endif()

if(packaging_outputs)
  add_custom_target(stampora_packaging ALL DEPENDS ${packaging_outputs})
endif()

if(STAMPORA_TESTS AND TARGET stampora-batch)
  add_test(NAME packaging_follows_the_tool
    COMMAND bash ${packaging_in}/check-packaging.sh $<TARGET_FILE:stampora-batch> ${packaging_out})
endif()

set(CPACK_PACKAGE_NAME stampora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${STAMPORA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${STAMPORA_SUMMARY}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Stampora puts a text watermark and an image watermark (a logo) on pictures:
the editor places them by hand on one picture, and stampora-batch stamps
them on every picture of a folder, sized to each picture, tiled or filled in
from the picture's name, date and camera. The copies keep the pictures'
metadata. It reads and writes JPEG, PNG, GIF, TIFF, BMP, TGA, WebP, HEIF,
AVIF and JPEG XL.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Beyond the libraries the programs link: the default text font; for the
# editor Qt's own display plugin for Wayland sessions (without it Qt goes
# through XWayland).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
if(TARGET stampora)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-noto-color-emoji")
include(CPack)
