# Reading the table of SFSE releases, sfse-releases.txt: the one reader of it, for the build
# (cmake/versions.cmake) and, in script mode, for scripts (cmake/check_release_table.cmake).

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

# tarnwick_read_release_table(<table file> <SFSE list> <game list>): the table's rows, oldest
# first: no SFSE version twice, and no game build older than the row before's. A row that breaks
# this is named by its line, and so is a table with no rows.
function(tarnwick_read_release_table table sfse_out game_out)
    file(STRINGS ${table} lines)
    get_filename_component(name ${table} NAME)
    set(all_sfse "")
    set(all_game "")
    set(number 0)
    set(previous_game 0.0.0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "^[ \t]*(#|$)")
            continue()
        endif()
        set(TARNWICK_VERSION_SOURCE "${name}, line ${number}: ")
        if(NOT line MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]*$")
            message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}'${line}' is not an SFSE version and a "
                                "game version")
        endif()
        set(sfse ${CMAKE_MATCH_1})
        set(game ${CMAKE_MATCH_2})
        tarnwick_version_parts(sfse)
        tarnwick_version_parts(game)
        if(sfse IN_LIST all_sfse)
            message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}SFSE ${sfse} has a row already")
        endif()
        if(game VERSION_LESS previous_game)
            message(FATAL_ERROR "${TARNWICK_VERSION_SOURCE}game ${game} is older than the row "
                                "before's, ${previous_game}: the rows go oldest first")
        endif()
        list(APPEND all_sfse ${sfse})
        list(APPEND all_game ${game})
        set(previous_game ${game})
    endforeach()
    if(NOT all_sfse)
        message(FATAL_ERROR "${name} has no rows")
    endif()
    set(${sfse_out} ${all_sfse} PARENT_SCOPE)
    set(${game_out} ${all_game} PARENT_SCOPE)
endfunction()

# tarnwick_write_release_rows(<file> <SFSE list> <game list>): the rows as the tests and the
# scripts read them, one "SFSE game" a line, oldest first, checked.
function(tarnwick_write_release_rows file sfse_list game_list)
    set(text "")
    foreach(sfse game IN ZIP_LISTS ${sfse_list} ${game_list})
        string(APPEND text "${sfse} ${game}\n")
    endforeach()
    file(WRITE ${file} "${text}")
endfunction()
