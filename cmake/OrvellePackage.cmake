# `cpack -G DEB` in a build folder writes orvelle_VERSION_amd64.deb: what `cmake --install`
# puts under /usr, stripped. dpkg-shlibdeps names the packages of the libraries the programs
# link (freeglut, OpenGL, GLU, EGL, stb, the C++ runtime); the rest are what they load or read
# without linking it: Mesa's drivers, the font of the pictures' text, zlib for compressed data.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of numeric 3D data in mono or stereo")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvelle shows sets of 3D points, coloured groups, Maple grids, tables of columns (CSV) and \
matrices of heights as points, tubes, wire grids or filled surfaces, in one picture or as \
stereo pairs (anaglyphs, side by side, interleaved rows, quad-buffered). orvelle is the \
interactive viewer; orvelle-render draws the same pictures into PNG files without a display.")
set(CPACK_PACKAGE_CONTACT "Orvelle developers <orvelle@localhost>" CACHE STRING "the Maintainer of the package")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0, fonts-dejavu-core, zlib1g")
# A folder chooser for the panel; without one the viewer keeps to the folder it lists.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog")
include(CPack)
