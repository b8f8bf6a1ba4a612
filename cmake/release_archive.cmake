# tarnwick_release_archive(<archive name> ENTRIES <entry> <source> [<entry> <source>...]
#                          [WINDOWS_LINE_ENDS <entry>...] [DEPENDS ...])
#
# Packs each <source> as the archive's <entry> into the build folder, and installs the archive.
# The archive's bytes depend on nothing but the files': entries in sorted order, a fixed date
# (TARNWICK_RELEASE_DATE), mode 0644, no folder entries, no extra fields, written in UTC. The
# entries named after WINDOWS_LINE_ENDS end every line with CR LF, whatever the checkout has.
function(tarnwick_release_archive name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ENTRIES;WINDOWS_LINE_ENDS;DEPENDS")
    set(archive ${CMAKE_BINARY_DIR}/${name})
    set(stage ${CMAKE_BINARY_DIR}/release/${name})
    set(commands "")
    set(entries "")
    set(sources "")
    while(arg_ENTRIES)
        list(POP_FRONT arg_ENTRIES entry source)
        get_filename_component(folder ${stage}/${entry} DIRECTORY)
        list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${folder})
        if(entry IN_LIST arg_WINDOWS_LINE_ENDS)
            list(APPEND commands COMMAND sh -c "sed 's/\\r*$/\\r/' \"$1\" >\"$2\"" stage
                 ${source} ${stage}/${entry})
        else()
            list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy ${source} ${stage}/${entry})
        endif()
        list(APPEND commands COMMAND chmod 0644 ${stage}/${entry}
             COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
                     touch -d "${TARNWICK_RELEASE_DATE} 00:00:00" ${stage}/${entry})
        list(APPEND entries ${entry})
        list(APPEND sources ${source})
    endwhile()
    list(SORT entries)
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${archive}
        ${commands}
        COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E env TZ=UTC
                zip --quiet -X -D ${archive} ${entries}
        DEPENDS ${sources} ${arg_DEPENDS}
        COMMENT "Packing ${name}"
        VERBATIM)
    install(FILES ${archive} DESTINATION .)
endfunction()
