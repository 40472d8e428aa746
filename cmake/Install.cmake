# Installs Quillex as a Linux desktop application: the two programs, the
# launcher, the icon theme's pictures, the AppStream metadata, the manual
# pages, bash completion and the documentation files Debian asks for.
# Everything that carries the version takes it from project().
include(GNUInstallDirs)

# One name for the launcher, the icon, the metadata and the running window,
# so that desktops match the window to its launcher.
set(QUILLEX_APP_ID "io.github.quillex.Quillex")
# The release of PROJECT_VERSION: the manual pages, the AppStream release and
# the Debian changelog show it.
set(QUILLEX_RELEASE_DATE "2026-12-07")
set(QUILLEX_HOMEPAGE "https://github.com/quillex/quillex")
set(QUILLEX_MAINTAINER "Quillex developers <quillex@users.noreply.github.com>"
  CACHE STRING "Name and mail address of the package's maintainer")
# SPDX name of the licence; data/copyright.in holds its text.
set(QUILLEX_LICENSE "LicenseRef-proprietary")
string(SUBSTRING "${QUILLEX_RELEASE_DATE}" 0 4 QUILLEX_COPYRIGHT_YEAR)

# Installed directories are 0755 whatever the umask of whoever installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(QUILLEX_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(QUILLEX_GEN_DIR ${PROJECT_BINARY_DIR}/data)
set(QUILLEX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillex)

find_program(QUILLEX_GZIP gzip REQUIRED)
# Debian's changelog wants the date as RFC 2822 ("Mon, 07 Dec 2026 ...").
execute_process(COMMAND date -u -R -d "${QUILLEX_RELEASE_DATE} 12:00:00"
  OUTPUT_VARIABLE QUILLEX_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)

foreach(page quillex quillex-scan)
  configure_file(${QUILLEX_DATA_DIR}/man/${page}.1.in ${QUILLEX_GEN_DIR}/${page}.1 @ONLY)
endforeach()
configure_file(${QUILLEX_DATA_DIR}/changelog.in ${QUILLEX_GEN_DIR}/changelog @ONLY)
configure_file(${QUILLEX_DATA_DIR}/copyright.in ${QUILLEX_GEN_DIR}/copyright @ONLY)

# Manual pages and the changelog are installed gzipped, as Debian wants;
# -n keeps the name and time out, so the same sources give the same bytes.
set(QUILLEX_GZIPPED)
foreach(file quillex.1 quillex-scan.1 changelog)
  add_custom_command(OUTPUT ${QUILLEX_GEN_DIR}/${file}.gz
    COMMAND ${QUILLEX_GZIP} -9 -n -c ${file} > ${file}.gz
    DEPENDS ${QUILLEX_GEN_DIR}/${file}
    WORKING_DIRECTORY ${QUILLEX_GEN_DIR}
    VERBATIM)
  list(APPEND QUILLEX_GZIPPED ${QUILLEX_GEN_DIR}/${file}.gz)
endforeach()
add_custom_target(quillex_docs ALL DEPENDS ${QUILLEX_GZIPPED})

install(TARGETS quillex-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUILLEX_GEN_DIR}/quillex-scan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUILLEX_DATA_DIR}/quillex-scan.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillex-scan)
install(FILES ${QUILLEX_GEN_DIR}/copyright ${QUILLEX_GEN_DIR}/changelog.gz
  DESTINATION ${QUILLEX_DOC_DIR})

if(TARGET quillex)
  target_compile_definitions(quillex PRIVATE QUILLEX_APP_ID="${QUILLEX_APP_ID}")

  configure_file(${QUILLEX_DATA_DIR}/quillex.desktop.in
    ${QUILLEX_GEN_DIR}/${QUILLEX_APP_ID}.desktop @ONLY)
  configure_file(${QUILLEX_DATA_DIR}/quillex.metainfo.xml.in
    ${QUILLEX_GEN_DIR}/${QUILLEX_APP_ID}.metainfo.xml @ONLY)

  # The icon theme's pictures come from the window icon's own drawing code,
  # run at build time without a display.
  find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
  add_executable(quillex-appicons
    ${QUILLEX_DATA_DIR}/icons/WriteAppIcons.cpp
    ${PROJECT_SOURCE_DIR}/src/shell/AppIcon.cpp)
  target_include_directories(quillex-appicons PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(quillex-appicons PRIVATE Qt6::Gui Qt6::Svg)
  quillex_warnings(quillex-appicons)

  # The tool writes one picture per size of the window's icon; the stamp
  # stands for them all, so the list of sizes lives only in AppIcon.h.
  set(QUILLEX_ICON_DIR ${QUILLEX_GEN_DIR}/icons)
  add_custom_command(OUTPUT ${QUILLEX_GEN_DIR}/icons.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUILLEX_ICON_DIR}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
      $<TARGET_FILE:quillex-appicons> ${QUILLEX_ICON_DIR} ${QUILLEX_APP_ID}
    COMMAND ${CMAKE_COMMAND} -E touch ${QUILLEX_GEN_DIR}/icons.stamp
    DEPENDS quillex-appicons
    VERBATIM)
  add_custom_target(quillex_icons ALL DEPENDS ${QUILLEX_GEN_DIR}/icons.stamp)

  install(TARGETS quillex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${QUILLEX_GEN_DIR}/quillex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${QUILLEX_GEN_DIR}/${QUILLEX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUILLEX_GEN_DIR}/${QUILLEX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${QUILLEX_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()
