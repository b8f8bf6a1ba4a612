# The SFSE releases Tarnwick is released for, each with the game build it runs, read from
# sfse-releases.txt into TARNWICK_TABLE_SFSE and TARNWICK_TABLE_GAME, row by row.

include(${CMAKE_CURRENT_LIST_DIR}/release_table.cmake)

set(TARNWICK_RELEASE_TABLE ${PROJECT_SOURCE_DIR}/sfse-releases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARNWICK_RELEASE_TABLE})
tarnwick_read_release_table(${TARNWICK_RELEASE_TABLE} TARNWICK_TABLE_SFSE TARNWICK_TABLE_GAME)
# The rows as checked here, which the tests and CI read instead of the table.
set(TARNWICK_RELEASE_ROWS ${CMAKE_BINARY_DIR}/sfse-rows.txt)
tarnwick_write_release_rows(${TARNWICK_RELEASE_ROWS} TARNWICK_TABLE_SFSE TARNWICK_TABLE_GAME)

# The pair the tests, the demo and bin/Tarnwick.dll are built for: the table's oldest row unless
# TARNWICK_SFSE_VERSION names another. The game version, left empty, is the table's for that SFSE
# version; a pair the table does not hold names both.
set(TARNWICK_SFSE_VERSION "" CACHE STRING
    "The one SFSE version the tested plugin accepts; empty for the table's oldest row")
if(TARNWICK_SFSE_VERSION STREQUAL "")
    list(GET TARNWICK_TABLE_SFSE 0 TARNWICK_SFSE_VERSION)
endif()
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
