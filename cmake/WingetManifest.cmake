# Run by CPack after each of its generators (CPACK_POST_BUILD_SCRIPTS). Once the installer is built,
# writes beside the packages the multi-file manifest that the Windows package manager reads (version,
# installer and default-locale files, schema 1.10.0): the installer's SHA-256, its download address
# (CPACK_ICONLANE_RELEASE_URL followed by the file's name), and ProductCode, the name of the
# uninstall key the installer writes, for the user's own install and for everyone's.
set(installer "")
foreach(file IN LISTS CPACK_PACKAGE_FILES)
    if(file MATCHES "\\.exe$")
        set(installer "${file}")
    endif()
endforeach()
if(NOT installer)
    return()
endif()

file(SHA256 "${installer}" sha256)
string(TOUPPER "${sha256}" sha256)
set(folder "${CPACK_PACKAGE_DIRECTORY}")  # where the packages go; the installer is still elsewhere
get_filename_component(name "${installer}" NAME)
set(id "Iconlane.Iconlane")
set(version "${CPACK_PACKAGE_VERSION}")
set(url "${CPACK_ICONLANE_RELEASE_URL}/${name}")
set(schema "# yaml-language-server: $schema=https://aka.ms/winget-manifest")
set(common "PackageIdentifier: ${id}\nPackageVersion: ${version}\n")
set(tail "ManifestVersion: 1.10.0\n")

file(WRITE "${folder}/${id}.yaml" "${schema}.version.1.10.0.schema.json
${common}DefaultLocale: en-US
ManifestType: version
${tail}")

# winget passes /S itself to a nullsoft installer; the switches are written out all the same.
set(installers "")
foreach(scope user machine)
    set(custom "")
    set(elevation "")
    if(scope STREQUAL "machine")
        set(custom "      Custom: /ALLUSERS\n")
        set(elevation "    ElevationRequirement: elevatesSelf\n")
    endif()
    string(APPEND installers "  - Architecture: ${CPACK_ICONLANE_ARCHITECTURE}
    Scope: ${scope}
    InstallerUrl: ${url}
    InstallerSha256: ${sha256}
${elevation}    InstallerSwitches:
      Silent: /S
      SilentWithProgress: /S
${custom}")
endforeach()
file(WRITE "${folder}/${id}.installer.yaml" "${schema}.installer.1.10.0.schema.json
${common}InstallerLocale: en-US
InstallerType: nullsoft
InstallModes:
  - interactive
  - silent
  - silentWithProgress
UpgradeBehavior: install
ProductCode: Iconlane
AppsAndFeaturesEntries:
  - DisplayName: Iconlane
    Publisher: ${CPACK_PACKAGE_VENDOR}
    DisplayVersion: ${version}
    ProductCode: Iconlane
Installers:
${installers}ManifestType: installer
${tail}")

file(WRITE "${folder}/${id}.locale.en-US.yaml" "${schema}.defaultLocale.1.10.0.schema.json
${common}PackageLocale: en-US
Publisher: ${CPACK_PACKAGE_VENDOR}
PackageName: Iconlane
License: MIT
ShortDescription: \"${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\"
Description: \"Up to 30 icons in the task bar's notification area, each opening a program, document, folder or web address; a folder of shortcuts (Quick Launch) as a lane that follows the folder, with cascading menus and one hot key for the whole lane.\"
Tags:
  - launcher
  - quick-launch
  - tray
ManifestType: defaultLocale
${tail}")
