# Run by CPack after it has made the zip (CPACK_POST_BUILD_SCRIPTS): writes each channel's
# manifests beside it, naming the zip's download address and its SHA-256.
set(_zip "")
foreach(_file IN LISTS CPACK_PACKAGE_FILES)
  if(_file MATCHES "\\.zip$")
    set(_zip ${_file})
  endif()
endforeach()
if(NOT _zip)
  message(FATAL_ERROR "no zip among the packages made: ${CPACK_PACKAGE_FILES}")
endif()

set(VERSION ${CPACK_PACKAGE_VERSION})
set(PUBLISHER ${CPACK_TARNWICK_PUBLISHER})
set(WINGET_ID ${CPACK_TARNWICK_WINGET_ID})
set(WINGET_MANIFEST_VERSION ${CPACK_TARNWICK_WINGET_MANIFEST_VERSION})
set(HOMEPAGE ${CPACK_TARNWICK_HOMEPAGE})
file(SHA256 ${_zip} SHA256)
string(TOUPPER ${SHA256} SHA256_UPPER)
string(REPLACE "{version}" "${VERSION}" URL "${CPACK_TARNWICK_DOWNLOAD_URL}")
# Scoop's autoupdate fills in the version it finds.
string(REPLACE "{version}" "$version" URL_AUTOUPDATE "${CPACK_TARNWICK_DOWNLOAD_URL}")
if(URL STREQUAL CPACK_TARNWICK_DOWNLOAD_URL)
  message(FATAL_ERROR "TARNWICK_DOWNLOAD_URL names no {version}: ${URL}")
endif()
# One wording for every channel, with no quotes of either kind, ampersand or angle bracket: it goes
# into YAML (in single quotes), JSON and XML as it is.
set(SHORT_DESCRIPTION "Keyword launcher: press a hot key, type a keyword, and your programs start.")
set(DESCRIPTION "Tarnwick starts your programs, documents, folders and web pages by keyword. It \
waits as an icon in the notification area; a global hot key shows a small input line, and typing \
a keyword starts every entry you gave it. One portable exe, no installer, no runtime; everything \
it keeps lives in one plain-text file, Tarnwick.ini.")

set(_templates ${CPACK_TARNWICK_SOURCE_DIR}/packaging)
set(_out ${CPACK_TARNWICK_OUTPUT_DIR})
file(REMOVE_RECURSE ${_out}/winget ${_out}/scoop ${_out}/chocolatey)
configure_file(${_templates}/winget/version.yaml.in ${_out}/winget/${WINGET_ID}.yaml @ONLY)
configure_file(${_templates}/winget/installer.yaml.in ${_out}/winget/${WINGET_ID}.installer.yaml
               @ONLY)
configure_file(${_templates}/winget/locale.yaml.in
               ${_out}/winget/${WINGET_ID}.locale.en-US.yaml @ONLY)
configure_file(${_templates}/scoop/tarnwick.json.in ${_out}/scoop/tarnwick.json @ONLY)
# The package's manifest (NuGet's .nuspec form).
configure_file(${_templates}/chocolatey/package-manifest.xml.in
               ${_out}/chocolatey/tarnwick.portable.nuspec @ONLY)
configure_file(${_templates}/chocolatey/chocolateyInstall.ps1.in
               ${_out}/chocolatey/tools/chocolateyInstall.ps1 @ONLY NEWLINE_STYLE CRLF)
# Beside the unpacked exe: Chocolatey's shim then starts it without waiting for it to end.
file(WRITE ${_out}/chocolatey/tools/Tarnwick.exe.gui "")
message(STATUS "Manifests for ${_zip} (SHA-256 ${SHA256}) in ${_out}/winget, scoop, chocolatey")
