# Installing: programs in bin/, data files in share/tessalingvora/ (found there relative to the
# program), man pages, desktop integration, shell completion, the CMake package for projects
# that localize their Windows builds, and the Debian package made from all of it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TVL_DESKTOP_ID org.tessalingvora.Tessalingvora)
set(TVL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tessalingvora)
set(TVL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessalingvora)
if(TARGET tvlgui)
  # The interactive program names its menu entry and icon.
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/ui/GuiApplication.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS TVL_DESKTOP_ID="${TVL_DESKTOP_ID}")
endif()

set(TVL_INSTALLED_PROGRAMS tessalingvora tvl tvl-dump)
if(TARGET tvl-render)
  # `tvl render` starts it from the folder tvl lies in.
  list(APPEND TVL_INSTALLED_PROGRAMS tvl-render)
endif()
install(TARGETS ${TVL_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/Languages.dat ${CMAKE_BINARY_DIR}/Satellite.dll DESTINATION ${TVL_INSTALL_DATADIR})

# Man pages from the programs' own --help and --version, so the two never disagree.
find_program(TVL_HELP2MAN help2man)
if(TVL_HELP2MAN)
  set(man_pages)
  foreach(entry "tessalingvora|localize Windows executables" "tvl|localization projects from the command line"
                "tvl-dump|list the resources and languages of a Windows executable")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TVL_HELP2MAN} --no-info --name=${summary} --version-string=${PROJECT_VERSION}
              --include=${CMAKE_SOURCE_DIR}/share/man-common.h2m --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} ${CMAKE_SOURCE_DIR}/share/man-common.h2m
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no man pages are made or installed")
endif()

# Desktop integration: menu entry, project file type, icons, software-centre description.
set(share ${CMAKE_SOURCE_DIR}/share)
install(FILES ${share}/${TVL_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${share}/tessalingvora-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${TVL_DESKTOP_ID}.xml)
configure_file(${share}/${TVL_DESKTOP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${TVL_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${TVL_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${share}/icons/${TVL_DESKTOP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${share}/icons/${size}/${TVL_DESKTOP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${share}/completion/tvl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# find_package(Tessalingvora) for projects that cross-build Windows programs.
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TessalingvoraConfig.cmake.in
  ${CMAKE_BINARY_DIR}/cmake/TessalingvoraConfig.cmake
  INSTALL_DESTINATION ${TVL_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/TessalingvoraConfigVersion.cmake
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)  # used by 32-bit cross builds too
install(FILES ${CMAKE_BINARY_DIR}/cmake/TessalingvoraConfig.cmake ${CMAKE_BINARY_DIR}/cmake/TessalingvoraConfigVersion.cmake
              ${CMAKE_SOURCE_DIR}/cmake/TessalingvoraLocalize.cmake
        DESTINATION ${TVL_INSTALL_CMAKEDIR})

if(TVL_TESTS)
  # Each check installs the build into a scratch folder of its own and runs what it installed.
  set(checks ${CMAKE_SOURCE_DIR}/tests/install)
  add_test(NAME InstalledTree COMMAND bash ${checks}/installed-tree.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  add_test(NAME InstalledDesktopIntegration COMMAND bash ${checks}/desktop-files.sh ${CMAKE_BINARY_DIR})
  add_test(NAME InstalledBashCompletion COMMAND bash ${checks}/completion.sh ${CMAKE_BINARY_DIR})
  add_test(NAME InstalledCMakePackageCrossBuild COMMAND bash ${checks}/cmake-example.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
endif()

include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)
