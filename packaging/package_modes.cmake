# Run by CPack once it has installed a package's files, before it packs them:
# directories rwxr-xr-x, whatever the umask they were made under. (The files
# have their modes from the install rules.)
file(GLOB_RECURSE directories LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(path IN LISTS directories ITEMS ${CPACK_TEMPORARY_DIRECTORY})
    if(IS_DIRECTORY ${path})
        file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
            WORLD_EXECUTE)
    endif()
endforeach()
