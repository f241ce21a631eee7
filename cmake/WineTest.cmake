# Tests that run Windows executables under Wine.
#
#   iconlane_add_wine_test(NAME <name> COMMAND <target-or-exe> [ARGS ...]
#                          [ENVIRONMENT VAR=value ...] [TIMEOUT seconds])
#
# Every such test runs through scripts/wine-run.sh and requires the fixture "iconlane_wine_session":
# ctest starts one Wine session (display, fresh prefix, persistent wineserver, virtual desktop with
# its tray) before the first of them and stops it after the last, also when only some are selected
# (ctest -R). They share one desktop and tray, so they never run in parallel with each other.
include_guard(GLOBAL)

find_program(ICONLANE_BASH bash REQUIRED)
set_property(GLOBAL PROPERTY ICONLANE_WINE_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/../scripts")

# The session's start and stop, registered once, in the directory that includes this file.
add_test(NAME wine.session.start
         COMMAND ${ICONLANE_BASH} ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-session.sh start)
add_test(NAME wine.session.stop
         COMMAND ${ICONLANE_BASH} ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-session.sh stop)
# A first run builds the template prefix with wineboot (~10 s); later starts copy it.
set_tests_properties(wine.session.start PROPERTIES
    FIXTURES_SETUP iconlane_wine_session RESOURCE_LOCK iconlane_wine_desktop TIMEOUT 300)
set_tests_properties(wine.session.stop PROPERTIES
    FIXTURES_CLEANUP iconlane_wine_session RESOURCE_LOCK iconlane_wine_desktop TIMEOUT 60)

function(iconlane_add_wine_test)
    cmake_parse_arguments(PARSE_ARGV 0 WT "" "NAME;COMMAND;TIMEOUT" "ARGS;ENVIRONMENT")
    if(NOT WT_NAME OR NOT WT_COMMAND)
        message(FATAL_ERROR "iconlane_add_wine_test: NAME and COMMAND are required")
    endif()
    if(WT_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "iconlane_add_wine_test: unknown arguments ${WT_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT WT_TIMEOUT)
        set(WT_TIMEOUT 300)
    endif()

    if(TARGET ${WT_COMMAND})
        set(program $<TARGET_FILE:${WT_COMMAND}>)
    else()
        set(program ${WT_COMMAND})
    endif()
    get_property(scripts GLOBAL PROPERTY ICONLANE_WINE_SCRIPTS)

    add_test(NAME ${WT_NAME}
             COMMAND ${ICONLANE_BASH} ${scripts}/wine-run.sh ${program} ${WT_ARGS})
    set_tests_properties(${WT_NAME} PROPERTIES
        FIXTURES_REQUIRED iconlane_wine_session
        RESOURCE_LOCK iconlane_wine_desktop
        TIMEOUT ${WT_TIMEOUT})
    if(WT_ENVIRONMENT)
        set_tests_properties(${WT_NAME} PROPERTIES ENVIRONMENT "${WT_ENVIRONMENT}")
    endif()
endfunction()
