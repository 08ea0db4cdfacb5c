# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Run by CPack once it has installed a package's files, before it packs them.

# Directories rwxr-xr-x, whatever the umask (the files' modes are the install rules').
file(GLOB_RECURSE directories LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(path IN LISTS directories ITEMS ${CPACK_TEMPORARY_DIRECTORY})
    if(IS_DIRECTORY ${path})
        file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
            WORLD_EXECUTE)
    endif()
endforeach()

# The program without the compilers' notes of their versions, as Debian's are.
file(GLOB_RECURSE programs ${CPACK_TEMPORARY_DIRECTORY}/*)
list(FILTER programs INCLUDE REGEX "/bin/tax2008$|/tax2008\\.exe$")
foreach(program IN LISTS programs)
    execute_process(COMMAND ${CPACK_TAX2008_STRIP} --remove-section=.comment ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# Every time SOURCE_DATE_EPOCH, for the packages that keep them (the RPM).
execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH} {} +
    COMMAND_ERROR_IS_FATAL ANY)
