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

set(CPACK_NSIS_DISPLAY_NAME "Iconlane ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "Iconlane")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/iconlane.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/iconlane.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME "iconlane.exe")
# The Start menu entry opens the user guide.
set(CPACK_NSIS_MENU_LINKS "Iconlane.rtf" "Iconlane guide")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The installer itself is a program of the same architecture as the one it installs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()
include(CPack)
