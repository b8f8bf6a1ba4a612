# Run by the install step, last: SHA256SUMS for every file installed beside it, in the form
# `sha256sum -c` reads.
string(REPLACE "[" "[[]" prefix_pattern "${CMAKE_INSTALL_PREFIX}")
file(GLOB files LIST_DIRECTORIES false RELATIVE "${CMAKE_INSTALL_PREFIX}" "${prefix_pattern}/*")
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
    file(SHA256 "${CMAKE_INSTALL_PREFIX}/${file}" hash)
    string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${CMAKE_INSTALL_PREFIX}/SHA256SUMS" "${sums}")
