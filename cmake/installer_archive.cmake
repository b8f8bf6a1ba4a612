# tarnwick_installer_archive(<archive name> SFSE <version>... GAME <version>... DLLS <path>...
#                            BATCH <example batch file> [DEPENDS ...])
#
# One archive for every SFSE release of the release, as a FOMOD installer that Mod Organizer 2
# and Vortex run (templates in installer/): one page, where the player picks the plugin for
# their SFSE and whether the example batch file goes beside it. The rows come oldest first, as
# the table has them; the page lists them newest first, each plugin in a folder of its own, and
# last an option that installs no plugin.
#
# Both managers preselect from the game's version, which they read from Starfield.exe as four
# numbers, and take an option's type from its first pattern that holds; a version is "at least"
# one. So a build is matched exactly by two patterns: "at least <build>.1" (any later build)
# first, then "at least <build>.0". Each row's option is Recommended for exactly its own build;
# a row that shares its game build with a newer row never is: the newer SFSE release is. The
# option without a plugin is Recommended for every other build, before, between or after the
# rows' (and for a version the manager cannot read, which MO2 takes as 0.0.0.0): no plugin of
# this release runs there. So exactly one option is Recommended for any game version.
function(tarnwick_installer_archive name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "BATCH" "SFSE;GAME;DLLS;DEPENDS")
    set(templates ${PROJECT_SOURCE_DIR}/installer)
    set(generated ${CMAKE_BINARY_DIR}/generated/installer)
    foreach(part sfse_option no_plugin_option game_pattern)
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
    set(no_plugin_patterns "")
    set(releases "")
    set(newer_game "")
    foreach(sfse game dll IN ZIP_LISTS arg_SFSE arg_GAME arg_DLLS)
        set(folder SFSE-${sfse})
        list(APPEND entries ${folder}/Tarnwick.dll ${dll})
        string(REPLACE "." "_" sfse_dll "sfse_${game}")
        string(APPEND sfse_dll .dll)
        set(own_build Recommended)
        if(game STREQUAL newer_game)
            set(own_build Optional)
        endif()
        tarnwick_exact_build_patterns(patterns ${game} Optional ${own_build})
        string(CONFIGURE "${sfse_option}" option @ONLY)
        string(APPEND options "${option}")
        if(NOT game STREQUAL newer_game)
            tarnwick_exact_build_patterns(patterns ${game} Recommended Optional)
            string(APPEND no_plugin_patterns "${patterns}")
        endif()
        list(APPEND releases "SFSE ${sfse} (game ${game})")
        set(newer_game ${game})
    endforeach()
    list(JOIN releases ", " releases)
    set(patterns "${no_plugin_patterns}")
    string(CONFIGURE "${no_plugin_option}" option @ONLY)
    string(APPEND options "${option}")

    configure_file(${templates}/info.xml.in ${generated}/info.xml @ONLY)
    configure_file(${templates}/ModuleConfig.xml.in ${generated}/ModuleConfig.xml @ONLY)
    tarnwick_release_archive(${name} ENTRIES ${entries}
        WINDOWS_LINE_ENDS example/start_high_priority.bat DEPENDS ${arg_DEPENDS})
endfunction()

# Sets <out> to the two patterns that tell the builds after <game> (type <later>) from <game>
# itself (type <own>); older builds take the option's default type. Fills in game_pattern.
function(tarnwick_exact_build_patterns out game later own)
    set(version ${game}.1)
    set(type ${later})
    string(CONFIGURE "${game_pattern}" after @ONLY)
    set(version ${game}.0)
    set(type ${own})
    string(CONFIGURE "${game_pattern}" exact @ONLY)
    set(${out} "${after}${exact}" PARENT_SCOPE)
endfunction()
