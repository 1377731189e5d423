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
include(CPack)
