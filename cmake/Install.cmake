# Where `cmake --install` puts the tool, and the Debian package made from the
# same rules (`cpack -G DEB`, or `make package`).
include(GNUInstallDirs)

# Everything of ours is linked in statically; the installed binary finds
# Qt and the rest where the system keeps them, so it needs no run path.
set_target_properties(vornix-support sd_vornix-jtalk PROPERTIES INSTALL_RPATH "")
install(TARGETS vornix-support RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornix-support.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT tool)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornix-support.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT tool)
install(FILES ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornix-support COMPONENT tool)

# The Open JTalk module, where speech-dispatcher loads modules by itself (not
# a multiarch folder: the daemon looks in this one). A package of its own:
# it is every speech-dispatcher client's Japanese voice, Orca's too, with or
# without the tool, and it brings Open JTalk with it, which the tool does
# without (it falls back to espeak-ng).
install(TARGETS sd_vornix-jtalk RUNTIME DESTINATION lib/speech-dispatcher-modules COMPONENT jtalk)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornix-jtalk.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/speech-dispatcher-vornix-jtalk COMPONENT jtalk)

set(CPACK_PACKAGE_NAME vornix-support)
set(CPACK_PACKAGE_VENDOR "VORNIX support volunteers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package carries its own summary as the first line of its description:
# a package-wide summary would be put in front of both.
set(VX_TOOL_SUMMARY "prepare mail accounts for the VORNIX mail client, by voice and keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "VORNIXサポートソフト fills in one mail account (sender, address, servers, ID, password and the
advanced options) and saves it as an account data file (.acd) that the VORNIX mail client
imports. Every control says what it is through speech-dispatcher when it gets the focus and
Enter moves on like Tab, so the whole form can be filled without sight or mouse.")
set(CPACK_PACKAGE_CONTACT "VORNIX support volunteers <support@vornix.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tool jtalk)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME vornix-support)
set(CPACK_DEBIAN_JTALK_PACKAGE_NAME speech-dispatcher-vornix-jtalk)
set(CPACK_DEBIAN_TOOL_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_JTALK_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_JTALK_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_TOOL_DESCRIPTION "${VX_TOOL_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_JTALK_DESCRIPTION
    "Japanese voice for speech-dispatcher with Open JTalk
An output module (vornix-jtalk) that speaks Japanese with Debian's open_jtalk,
its dictionary and an HTS voice, for every speech-dispatcher client: the
VORNIX support tool, and screen readers such as Orca once it is made the
daemon's choice for Japanese. Long and multi-line texts are spoken whole, a
synthesiser waits loaded for the next line, and STOP is immediate.")
# The shared libraries the binary links (Qt, libspeechd, ...) become Depends
# through dpkg-shlibdeps, so they always match what the build used.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dictionary the kana reading for espeak-ng opens at run time (libmecab2
# itself comes through dpkg-shlibdeps).
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "mecab-ipadic-utf8")
# The module plays through the daemon (0.10 and later), runs open_jtalk with
# its dictionary, and cuts long lines between MeCab's words. The voice is in
# contrib, so it is only recommended: without it the module declines to
# start and the daemon speaks Japanese with espeak-ng as before.
set(CPACK_DEBIAN_JTALK_PACKAGE_DEPENDS
    "speech-dispatcher (>= 0.10), open-jtalk, open-jtalk-mecab-naist-jdic, mecab-ipadic-utf8")
set(CPACK_DEBIAN_JTALK_PACKAGE_RECOMMENDS "hts-voice-nitech-jp-atr503-m001")
# Without these the tool still runs: silently without the speech daemon or
# a voice for it, with Qt's English dialog texts without the translations,
# with boxes for glyphs without a Japanese font, without opening web pages
# without xdg-open, without KANJIDIC a kanji the dictionary knows only
# inside longer words is said as "カンジ" when it stands alone, and without
# the Open JTalk module it speaks with espeak-ng.
set(CPACK_DEBIAN_TOOL_PACKAGE_RECOMMENDS
    "speech-dispatcher, speech-dispatcher-espeak-ng, speech-dispatcher-vornix-jtalk, fonts-noto-cjk, xdg-utils, qt6-translations-l10n, kanjidic")
set(CPACK_DEBIAN_TOOL_PACKAGE_SUGGESTS "fonts-ipafont-gothic")

include(CPack)
