# The SFSE releases Tarnwick is released for, each with the game build it runs, read from
# sfse-releases.txt into TARNWICK_TABLE_SFSE and TARNWICK_TABLE_GAME, row by row.

# Splits a "major.minor.build" setting into NAME_MAJOR, NAME_MINOR and NAME_BUILD, each within
# its field of the packed form; with a second argument, sets that to the same version with the
# next build. TARNWICK_VERSION_SOURCE, where set, says where the version was read.
function(tarnwick_version_parts name)
    set(text "${${name}}")
    if(NOT text MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" OR CMAKE_MATCH_1 GREATER 255
       OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 4094)
        message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}${name} '${text}' is not a version "
                            "major.minor.build (at most 255.255.4094)")
    endif()
    set(${name}_MAJOR ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(${name}_MINOR ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(${name}_BUILD ${CMAKE_MATCH_3} PARENT_SCOPE)
    if(ARGC GREATER 1)
        math(EXPR next_build "${CMAKE_MATCH_3} + 1")
        set(${ARGV1} "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_build}" PARENT_SCOPE)
    endif()
endfunction()

# Each row is an SFSE version and a game version, oldest first: no SFSE version twice, and no
# game build older than the row before's. A row that breaks this is named by its line.
set(TARNWICK_RELEASE_TABLE ${PROJECT_SOURCE_DIR}/sfse-releases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARNWICK_RELEASE_TABLE})
file(STRINGS ${TARNWICK_RELEASE_TABLE} lines)
set(TARNWICK_TABLE_SFSE "")
set(TARNWICK_TABLE_GAME "")
set(number 0)
set(previous_game 0.0.0)
foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*(#|$)")
        continue()
    endif()
    set(TARNWICK_VERSION_SOURCE "sfse-releases.txt, line ${number}: ")
    if(NOT line MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]*$")
        message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}'${line}' is not an SFSE version and a "
                            "game version")
    endif()
    set(sfse ${CMAKE_MATCH_1})
    set(game ${CMAKE_MATCH_2})
    tarnwick_version_parts(sfse)
    tarnwick_version_parts(game)
    if(sfse IN_LIST TARNWICK_TABLE_SFSE)
        message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}SFSE ${sfse} has a row already")
    endif()
    if(game VERSION_LESS previous_game)
        message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}game ${game} is older than the row "
                            "before's, ${previous_game}: the rows go oldest first")
    endif()
    list(APPEND TARNWICK_TABLE_SFSE ${sfse})
    list(APPEND TARNWICK_TABLE_GAME ${game})
    set(previous_game ${game})
endforeach()
unset(TARNWICK_VERSION_SOURCE)
if(NOT TARNWICK_TABLE_SFSE)
    message(FATAL_ERROR "sfse-releases.txt has no rows")
endif()

# The pair the tests, the demo and bin/Tarnwick.dll are built for. The game version, left empty,
# is the table's for that SFSE version; a pair the table does not hold names both.
set(TARNWICK_SFSE_VERSION 0.2.18 CACHE STRING "The one SFSE version the tested plugin accepts")
set(TARNWICK_GAME_VERSION "" CACHE STRING
    "The game runtime version its record lists; empty for the one sfse-releases.txt names")
list(FIND TARNWICK_TABLE_SFSE "${TARNWICK_SFSE_VERSION}" row)
if(row EQUAL -1)
    if(TARNWICK_GAME_VERSION STREQUAL "")
        message(FATAL_ERROR "SFSE ${TARNWICK_SFSE_VERSION} is not in sfse-releases.txt: "
                            "set TARNWICK_GAME_VERSION to the game build it runs")
    endif()
    # What a release holds: an archive for that pair alone.
    set(TARNWICK_RELEASE_SFSE ${TARNWICK_SFSE_VERSION})
    set(TARNWICK_RELEASE_GAME ${TARNWICK_GAME_VERSION})
else()
    list(GET TARNWICK_TABLE_GAME ${row} table_game)
    if(NOT TARNWICK_GAME_VERSION STREQUAL "" AND NOT TARNWICK_GAME_VERSION STREQUAL table_game)
        message(FATAL_ERROR "SFSE ${TARNWICK_SFSE_VERSION} runs game ${table_game} in "
                            "sfse-releases.txt, not ${TARNWICK_GAME_VERSION}: leave "
                            "TARNWICK_GAME_VERSION empty, or change that row")
    endif()
    set(TARNWICK_GAME_VERSION ${table_game})
    # What a release holds: an archive for every row of the table.
    set(TARNWICK_RELEASE_SFSE ${TARNWICK_TABLE_SFSE})
    set(TARNWICK_RELEASE_GAME ${TARNWICK_TABLE_GAME})
endif()

# The next SFSE build, which the plugin must refuse: the demo and the box tests show it.
tarnwick_version_parts(TARNWICK_SFSE_VERSION TARNWICK_NEWER_SFSE_VERSION)

# The same for the scripts: the demo and the pictures of the boxes source it from bin/.
configure_file(${CMAKE_CURRENT_LIST_DIR}/versions.sh.in ${CMAKE_BINARY_DIR}/bin/versions.sh @ONLY)
