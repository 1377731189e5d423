# The download: a zip holding Tarnwick.exe, a readme for Windows users and the licence, all at
# the top of the archive (Windows' "Extract All" already makes a folder named after the zip).
# `cpack` after a build makes <build>/Tarnwick-<version>-win64.zip; CPack writes the zip itself.
install(TARGETS Tarnwick RUNTIME DESTINATION .)
# Windows line ends, so that every editor a user may open them with shows the lines.
configure_file(${CMAKE_SOURCE_DIR}/packaging/ReadMe.txt ${CMAKE_BINARY_DIR}/package/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/package/LICENSE.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/package/ReadMe.txt ${CMAKE_BINARY_DIR}/package/LICENSE.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tarnwick)
set(CPACK_PACKAGE_VENDOR "the Tarnwick authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tarnwick-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})

# The channels' manifests: winget (version, default locale and installer files), a Scoop bucket
# manifest and the Chocolatey package's files, written into <build>/winget, scoop and chocolatey
# after CPack has made the zip, with its SHA-256. scripts/check-release.sh validates them.
set(TARNWICK_PUBLISHER "Orvalen")
# The same identifier as kWingetPackageId in data/SettingsHome.h (the release check compares them).
set(TARNWICK_WINGET_ID "Orvalen.Tarnwick")
set(TARNWICK_WINGET_MANIFEST_VERSION "1.12.0")
set(TARNWICK_HOMEPAGE "https://github.com/orvalen/tarnwick"
    CACHE STRING "The project's home page, named in every channel's manifest")
# {version} stands for the project's version wherever it appears.
set(TARNWICK_DOWNLOAD_URL
    "https://github.com/orvalen/tarnwick/releases/download/v{version}/Tarnwick-{version}-win64.zip"
    CACHE STRING "Where the release's zip is downloaded from ({version}: the version)")
set(CPACK_TARNWICK_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_TARNWICK_OUTPUT_DIR ${CMAKE_BINARY_DIR})
set(CPACK_TARNWICK_PUBLISHER ${TARNWICK_PUBLISHER})
set(CPACK_TARNWICK_WINGET_ID ${TARNWICK_WINGET_ID})
set(CPACK_TARNWICK_WINGET_MANIFEST_VERSION ${TARNWICK_WINGET_MANIFEST_VERSION})
set(CPACK_TARNWICK_HOMEPAGE ${TARNWICK_HOMEPAGE})
set(CPACK_TARNWICK_DOWNLOAD_URL ${TARNWICK_DOWNLOAD_URL})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/Manifests.cmake)
include(CPack)
