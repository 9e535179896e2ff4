# Where `cmake --install` puts the tool, and the Debian package made from the
# same rules (`cpack -G DEB`, or `make package`).
include(GNUInstallDirs)

# Everything of ours is linked in statically; the installed binary finds
# Qt and the rest where the system keeps them, so it needs no run path.
set_target_properties(vornix-support PROPERTIES INSTALL_RPATH "")
install(TARGETS vornix-support RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornix-support.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornix-support.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornix-support)

set(CPACK_PACKAGE_NAME vornix-support)
set(CPACK_PACKAGE_VENDOR "VORNIX support volunteers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare mail accounts for the VORNIX mail client, by voice and keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "VORNIXサポートソフト fills in one mail account (sender, address, servers, ID, password and the
advanced options) and saves it as an account data file (.acd) that the VORNIX mail client
imports. Every control says what it is through speech-dispatcher when it gets the focus and
Enter moves on like Tab, so the whole form can be filled without sight or mouse.")
set(CPACK_PACKAGE_CONTACT "VORNIX support volunteers <support@vornix.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the binary links (Qt, libspeechd, ...) become Depends
# through dpkg-shlibdeps, so they always match what the build used.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dictionary the kana reading for espeak-ng opens at run time (libmecab2
# itself comes through dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mecab-ipadic-utf8")
# Without these the tool still runs: silently without the speech daemon or
# a voice for it, with Qt's English dialog texts without the translations,
# with boxes for glyphs without a Japanese font, without opening web pages
# without xdg-open, and without KANJIDIC a kanji the dictionary knows only
# inside longer words is said as "カンジ" when it stands alone.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "speech-dispatcher, speech-dispatcher-espeak-ng, fonts-noto-cjk, xdg-utils, qt6-translations-l10n, kanjidic")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-ipafont-gothic")

include(CPack)
