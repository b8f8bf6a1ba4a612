# tarnwick_release_archive(<archive name> <source> <file name> [WINDOWS_LINE_ENDS] [DEPENDS ...])
#
# Packs <source> as the archive's one entry, Data/SFSE/Plugins/<file name>, into the build folder,
# and installs the archive. The archive's bytes depend on nothing but the file's: a fixed date
# (TARNWICK_RELEASE_DATE), mode 0644, no extra fields, written in UTC. WINDOWS_LINE_ENDS ends
# every line with CR LF, whatever the checkout has.
function(tarnwick_release_archive name source file)
    cmake_parse_arguments(PARSE_ARGV 3 arg "WINDOWS_LINE_ENDS" "" "DEPENDS")
    set(archive ${CMAKE_BINARY_DIR}/${name})
    set(stage ${CMAKE_BINARY_DIR}/release/${name})
    set(folder Data/SFSE/Plugins)
    set(entry ${folder}/${file})
    if(arg_WINDOWS_LINE_ENDS)
        set(stage_file sh -c "sed 's/\\r*$/\\r/' \"$1\" >\"$2\"" stage ${source} ${stage}/${entry})
    else()
        set(stage_file ${CMAKE_COMMAND} -E copy ${source} ${stage}/${entry})
    endif()
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${archive}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/${folder}
        COMMAND ${stage_file}
        COMMAND chmod 0644 ${stage}/${entry}
        COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
                touch -d "${TARNWICK_RELEASE_DATE} 00:00:00" ${stage}/${entry}
        COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E env TZ=UTC
                zip --quiet -X -D ${archive} ${entry}
        DEPENDS ${source} ${arg_DEPENDS}
        COMMENT "Packing ${name}"
        VERBATIM)
    install(FILES ${archive} DESTINATION .)
endfunction()
