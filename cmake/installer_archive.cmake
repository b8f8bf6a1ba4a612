# tarnwick_installer_archive(<archive name> SFSE <version>... GAME <version>... DLLS <path>...
#                            BATCH <example batch file> [DEPENDS ...])
#
# One archive for every SFSE release of the release, as a FOMOD installer that Mod Organizer 2
# and Vortex run (templates in installer/): one page, where the player picks the plugin for
# their SFSE and whether the example batch file goes beside it. The rows come oldest first, as
# the table has them; the page lists them newest first, each plugin in a folder of its own.
#
# Both managers preselect from the game's version, which they read from Starfield.exe as four
# numbers. An option's type is that of its first pattern that holds: for each row, "at least
# the next newer row's game build" makes it Optional, then "at least its own" makes it
# Recommended, so that exactly one option is Recommended for any game build from the oldest
# row's on (the managers differ on which of several they preselect). A row that shares its game
# build with a newer row is never Recommended: the newer SFSE release is.
function(tarnwick_installer_archive name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "BATCH" "SFSE;GAME;DLLS;DEPENDS")
    set(templates ${PROJECT_SOURCE_DIR}/installer)
    set(generated ${CMAKE_BINARY_DIR}/generated/installer)
    foreach(part sfse_option game_pattern)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${templates}/${part}.xml.in)
        file(READ ${templates}/${part}.xml.in ${part})
        string(REGEX REPLACE "\n$" "" ${part} "${${part}}")
    endforeach()

    set(entries
        fomod/info.xml ${generated}/info.xml
        fomod/ModuleConfig.xml ${generated}/ModuleConfig.xml
        example/start_high_priority.bat ${arg_BATCH})
    foreach(list IN ITEMS arg_SFSE arg_GAME arg_DLLS)
        list(REVERSE ${list})
    endforeach()
    set(options "")
    set(newer_game "")
    foreach(sfse game dll IN ZIP_LISTS arg_SFSE arg_GAME arg_DLLS)
        set(folder SFSE-${sfse})
        list(APPEND entries ${folder}/Tarnwick.dll ${dll})
        string(REPLACE "." "_" sfse_dll "sfse_${game}")
        string(APPEND sfse_dll .dll)
        set(patterns "")
        if(newer_game)
            set(version ${newer_game})
            set(type Optional)
            string(CONFIGURE "${game_pattern}" pattern @ONLY)
            string(APPEND patterns "${pattern}")
        endif()
        set(version ${game})
        set(type Recommended)
        string(CONFIGURE "${game_pattern}" pattern @ONLY)
        string(APPEND patterns "${pattern}")
        string(CONFIGURE "${sfse_option}" option @ONLY)
        string(APPEND options "${option}")
        set(newer_game ${game})
    endforeach()

    configure_file(${templates}/info.xml.in ${generated}/info.xml @ONLY)
    configure_file(${templates}/ModuleConfig.xml.in ${generated}/ModuleConfig.xml @ONLY)
    tarnwick_release_archive(${name} ENTRIES ${entries}
        WINDOWS_LINE_ENDS example/start_high_priority.bat DEPENDS ${arg_DEPENDS})
endfunction()
