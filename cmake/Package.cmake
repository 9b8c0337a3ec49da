# The Debian package: `cpack -G DEB` in the build folder. Its Depends come
# from the libraries the programs link (dpkg-shlibdeps); its maintainer
# scripts refresh the desktop, MIME and icon caches.
set(CPACK_PACKAGE_NAME boxora)
set(CPACK_PACKAGE_VENDOR Talvenor)
set(CPACK_PACKAGE_CONTACT "Talvenor <boxora@talvenor.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "box shot renderer: 3D pictures of product packages")
set(CPACK_PACKAGE_DESCRIPTION
  "Boxora renders box shots: three-dimensional pictures of product packages\n\
built from flat cover artwork. Place software boxes, DVD and CD cases in a\n\
scene, give each face an image, set camera, lights, soft shadow, floor\n\
reflection and background, watch the live preview and render the scene off\n\
screen at up to 3000 x 3000 pixels into PNG, JPEG, TIFF and other formats.\n\
.\n\
The package holds the desktop program boxora and the command-line renderer\n\
boxora-render, which needs no display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://talvenor.example/boxora/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations make its standard dialogs speak the chosen
# language; the URW fonts are the ones libwmf plays WMF text with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/res/linux/debian/postinst ${CMAKE_SOURCE_DIR}/res/linux/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
