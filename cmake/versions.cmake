# The two versions the plugin is built for. Tarnwick runs with one SFSE release only, so each
# new SFSE release needs a build of its own: these settings are the only place to change.
set(TARNWICK_SFSE_VERSION 0.2.18 CACHE STRING "The one SFSE version the plugin accepts")
set(TARNWICK_GAME_VERSION 1.15.222 CACHE STRING "The game runtime version the version record lists")

# Splits a "major.minor.build" setting into NAME_MAJOR, NAME_MINOR and NAME_BUILD, each within
# its field of the packed form, and sets NEWER to the same version with the next build.
function(tarnwick_version_parts name newer)
    set(text "${${name}}")
    if(NOT text MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" OR CMAKE_MATCH_1 GREATER 255
       OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 4094)
        message(FATAL_ERROR "${name} '${text}' is not a version major.minor.build "
                            "(at most 255.255.4094)")
    endif()
    set(${name}_MAJOR ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(${name}_MINOR ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(${name}_BUILD ${CMAKE_MATCH_3} PARENT_SCOPE)
    math(EXPR next_build "${CMAKE_MATCH_3} + 1")
    set(${newer} "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_build}" PARENT_SCOPE)
endfunction()

# The next SFSE build, which the plugin must refuse: the demo and the box tests show it. The next
# game build: CI builds and tests for it too, with the next SFSE, so that no test can keep either
# version as a literal.
tarnwick_version_parts(TARNWICK_SFSE_VERSION TARNWICK_NEWER_SFSE_VERSION)
tarnwick_version_parts(TARNWICK_GAME_VERSION TARNWICK_NEWER_GAME_VERSION)

# The same for the scripts: the demo and the pictures of the boxes source it from bin/.
configure_file(${CMAKE_CURRENT_LIST_DIR}/versions.sh.in ${CMAKE_BINARY_DIR}/bin/versions.sh @ONLY)
