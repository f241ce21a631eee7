# The two packages: an installer (NSIS) and a portable ZIP, with the same files.
install(TARGETS iconlane RUNTIME DESTINATION .)
install(FILES
    ${PROJECT_SOURCE_DIR}/resources/Iconlane.rtf
    ${PROJECT_SOURCE_DIR}/examples/Iconlane.ini
    ${PROJECT_SOURCE_DIR}/examples/demo.txt
    ${PROJECT_SOURCE_DIR}/resources/iconlane.ico
    DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_PACKAGE_NAME "Iconlane")
set(CPACK_PACKAGE_VENDOR "Iconlane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Iconlane: up to 30 launcher icons in the task bar's tray")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Iconlane")
set(CPACK_PACKAGE_FILE_NAME "Iconlane-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

# The installer's own script (cmake/nsis/NSIS.template.in): for the current user by default, for
# everyone with /ALLUSERS, what shows at log-on, Send To; its Start-menu entry opens the guide.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/nsis)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/iconlane.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/iconlane.ico)
# The installer itself is a program of the same architecture as the one it installs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_ICONLANE_ARCHITECTURE x64)
else()
    set(CPACK_NSIS_DEFINES "Unicode true")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
    set(CPACK_ICONLANE_ARCHITECTURE x86)
endif()

# The package manager's manifest, written beside the packages; a release fills in its address.
set(ICONLANE_RELEASE_URL "https://example.com/iconlane/releases/${PROJECT_VERSION}" CACHE STRING
    "Where the release's packages can be downloaded (the package manifest's address, without the file name)")
set(CPACK_ICONLANE_RELEASE_URL ${ICONLANE_RELEASE_URL})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/WingetManifest.cmake)
include(CPack)
