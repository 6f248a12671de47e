# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessalingvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessalingvora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Localize Windows executables natively")
set(CPACK_PACKAGE_DESCRIPTION
  "Translates the resources of Windows programs and libraries (strings, menus, dialogs,\n"
  "version information) into other languages and builds the translated executables,\n"
  "with a graphical editor, a command line for scripts and build systems, and a CMake\n"
  "package for projects cross-built with mingw-w64.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessalingvora developers <maintainers@tessalingvora.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Dialog layouts are measured with these faces (metric-compatible stand-ins for the Windows
# fonts); without them sizes and truncation warnings would differ from the target system.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-wine, fonts-liberation2, fonts-crosextra-carlito, fonts-ipafont-gothic, fonts-dejavu-core")
if(TVL_GUI)
  # The window system plugins are only recommended by the toolkit; the editor cannot start without them.
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
# The translation box checks spelling with whatever system dictionaries are installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cmake, gcc-mingw-w64-x86-64")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
