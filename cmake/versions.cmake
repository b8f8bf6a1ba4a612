# The SFSE releases Tarnwick is released for, each with the game build it runs, read from
# sfse-releases.txt into TARNWICK_TABLE_SFSE and TARNWICK_TABLE_GAME, row by row.
set(TARNWICK_RELEASE_TABLE ${PROJECT_SOURCE_DIR}/sfse-releases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARNWICK_RELEASE_TABLE})
file(STRINGS ${TARNWICK_RELEASE_TABLE} rows REGEX "^[^#]")
set(TARNWICK_TABLE_SFSE "")
set(TARNWICK_TABLE_GAME "")
foreach(row IN LISTS rows)
    if(NOT row MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]*$")
        message(FATAL_ERROR "sfse-releases.txt: '${row}' is not an SFSE version and a game version")
    endif()
    list(APPEND TARNWICK_TABLE_SFSE ${CMAKE_MATCH_1})
    list(APPEND TARNWICK_TABLE_GAME ${CMAKE_MATCH_2})
endforeach()

# The pair the tests, the demo and bin/Tarnwick.dll are built for. The game version, left empty,
# is the table's for that SFSE version; a pair the table does not hold names both.
set(TARNWICK_SFSE_VERSION 0.2.18 CACHE STRING "The one SFSE version the tested plugin accepts")
set(TARNWICK_GAME_VERSION "" CACHE STRING
    "The game runtime version its record lists; empty for the one sfse-releases.txt names")
list(FIND TARNWICK_TABLE_SFSE "${TARNWICK_SFSE_VERSION}" row)
set(table_game "")
if(NOT row EQUAL -1)
    list(GET TARNWICK_TABLE_GAME ${row} table_game)
endif()
if(TARNWICK_GAME_VERSION STREQUAL "")
    if(table_game STREQUAL "")
        message(FATAL_ERROR "SFSE ${TARNWICK_SFSE_VERSION} is not in sfse-releases.txt: "
                            "set TARNWICK_GAME_VERSION to the game build it runs")
    endif()
    set(TARNWICK_GAME_VERSION ${table_game})
endif()

# What a release holds: an archive for every row of the table; for a pair the table does not
# hold, an archive for that pair alone.
if(TARNWICK_GAME_VERSION STREQUAL table_game)
    set(TARNWICK_RELEASE_SFSE ${TARNWICK_TABLE_SFSE})
    set(TARNWICK_RELEASE_GAME ${TARNWICK_TABLE_GAME})
else()
    set(TARNWICK_RELEASE_SFSE ${TARNWICK_SFSE_VERSION})
    set(TARNWICK_RELEASE_GAME ${TARNWICK_GAME_VERSION})
endif()

# Splits a "major.minor.build" setting into NAME_MAJOR, NAME_MINOR and NAME_BUILD, each within
# its field of the packed form; with a second argument, sets that to the same version with the
# next build.
function(tarnwick_version_parts name)
    set(text "${${name}}")
    if(NOT text MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" OR CMAKE_MATCH_1 GREATER 255
       OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 4094)
        message(FATAL_ERROR "${name} '${text}' is not a version major.minor.build "
                            "(at most 255.255.4094)")
    endif()
    set(${name}_MAJOR ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(${name}_MINOR ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(${name}_BUILD ${CMAKE_MATCH_3} PARENT_SCOPE)
    if(ARGC GREATER 1)
        math(EXPR next_build "${CMAKE_MATCH_3} + 1")
        set(${ARGV1} "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_build}" PARENT_SCOPE)
    endif()
endfunction()

# The next SFSE build, which the plugin must refuse: the demo and the box tests show it.
tarnwick_version_parts(TARNWICK_SFSE_VERSION TARNWICK_NEWER_SFSE_VERSION)

# The same for the scripts: the demo and the pictures of the boxes source it from bin/.
configure_file(${CMAKE_CURRENT_LIST_DIR}/versions.sh.in ${CMAKE_BINARY_DIR}/bin/versions.sh @ONLY)
