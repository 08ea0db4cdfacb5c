# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Installs `file` into `destination`, gzipped as Debian wants it (no name or
# time in the header).
function(tax2008_install_gzipped file destination)
    get_filename_component(name ${file} NAME)
    get_filename_component(path ${file} ABSOLUTE)
    add_custom_command(OUTPUT ${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${path} ${name}
        COMMAND gzip -9nf ${name}
        DEPENDS ${path} VERBATIM)
    add_custom_target(gzip_${name} ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${destination})
endfunction()
