# A DLL linked without the C runtime's start-up code and default libraries. Its image has no
# entry point, no TLS callbacks and no constructor list, so the loader runs nothing of it: not
# at load, not when any thread of the process starts or ends, not at unload. It imports only
# what its own code calls.
#
# The image is also reproducible: a fixed base (the linker would otherwise derive one from the
# output path) and no time stamps, so the same sources give the same bytes in any folder.
function(tarnwick_freestanding_dll target)
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti
        # The compilers would add their identification strings, of no use to anyone.
        -fno-ident)
    target_link_options(${target} PRIVATE
        -nostdlib
        # Symbols are of no use to a player and would make up most of the file.
        -s
        # __ImageBase lies at offset 0 of the image, so the entry point becomes 0: none. Both
        # GNU ld and lld take a symbol here; lld's MinGW driver has no option for "no entry".
        -Wl,--entry=__ImageBase
        -Wl,--image-base=0x180000000
        -Wl,--disable-auto-image-base
        -Wl,--no-insert-timestamp)
    # The import libraries for the few C functions the code calls and for the kernel; each
    # target adds the others it needs.
    target_link_libraries(${target} PRIVATE kernel32 msvcrt)
endfunction()
