# The Debian package: cmake --build build --target package makes tolvanet_VERSION_ARCH.deb.
# Configure a build without tests for it (-DTOLVANET_TESTS=OFF): nothing of the tests
# is installed, but the programs are built as users get them.

# Manual pages and the changelog are shipped compressed, as Debian has them.
find_program(TOLVANET_GZIP gzip REQUIRED)
set(TOLVANET_PACKAGE_DOCS ${CMAKE_BINARY_DIR}/package-docs)
file(MAKE_DIRECTORY ${TOLVANET_PACKAGE_DOCS})
set(TOLVANET_COMPRESSED)
foreach(page tolvanet-tool/tolvanet-tool.1 data/tolvanet.1 data/changelog)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${TOLVANET_PACKAGE_DOCS}/${name}.gz
    COMMAND ${TOLVANET_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/${page} > ${TOLVANET_PACKAGE_DOCS}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${page} VERBATIM)
  list(APPEND TOLVANET_COMPRESSED ${TOLVANET_PACKAGE_DOCS}/${name}.gz)
endforeach()
add_custom_target(tolvanet_docs ALL DEPENDS ${TOLVANET_COMPRESSED})
install(FILES ${TOLVANET_PACKAGE_DOCS}/tolvanet-tool.1.gz ${TOLVANET_PACKAGE_DOCS}/tolvanet.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TOLVANET_PACKAGE_DOCS}/changelog.gz data/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvanet)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvanet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Tolvanet Corvalida developers <tolvanet@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking text editor for readers and classrooms")
# The first line of the package's description is the summary above; CPack indents these.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tolvanet Corvalida is a plain-text editor that speaks: each character as
it is typed, the finished word on a blank and the line on a full stop; it
reads the selection, the whole text or word by word, and saves the document
as a WAV, MP3 or Opus recording with its subtitles. It is made for readers
with low vision or reading difficulties and for pupils in Catalan and
Spanish classrooms.

Classroom tools write their results into the text: a calculator, a linear
system solver that writes every step, a solfege to MusicXML converter, Java
and HTML helpers and a blackboard to HTML5 converter. The interface speaks
Catalan, Spanish, Basque, Galician, Portuguese, English and French.")
# The libraries the programs link come from dpkg-shlibdeps (the voice library beside
# them is loaded at run time, not linked). What the programs start or load at run time
# is listed by hand: the voices' data, the spelling library and its dictionaries, the
# speech service, the encoders, the recogniser's languages, Qt's
# window-system and media plugins and the decoders behind them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "espeak-ng-data, festival, festival-ca, festvox-ca-ona-hts, speech-dispatcher, lame, opus-tools, sox, qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, libhunspell-1.7-0, libexttextcat-data, hunspell-ca, hunspell-es, hunspell-eu, hunspell-gl, hunspell-pt-pt, hunspell-en-us, hunspell-fr, tesseract-ocr-cat, tesseract-ocr-spa, tesseract-ocr-osd, hyphen-ca, hyphen-es, hyphen-fr, hyphen-gl, hyphen-pt-pt, hyphen-en-us")
# ffmpeg only makes the audiobooks: without it the editor says which package to install.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "abiword, ffmpeg, tesseract-ocr-eng, tesseract-ocr-fra, tesseract-ocr-por, tesseract-ocr-glg, tesseract-ocr-eus, speech-dispatcher-espeak-ng, qt6-wayland, pipewire-pulse | pulseaudio, fonts-opendyslexic")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
