# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Run by CPack after it has built a package: writes its bill of materials,
# <package>.cdx.json in CycloneDX 1.5, beside it: the program and every file
# shipped, with their SHA-256; the Debian packages linked in (or, for the
# .deb, those it depends on); and the web page's npm package. The same bytes
# wherever it is built.

# `var` as a JSON string.
function(json_string var value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    set(${var} "\"${value}\"" PARENT_SCOPE)
endfunction()

# Appends a library to `components` (and its purl to `dependencies`).
function(add_component name version licence supplier purl description properties)
    json_string(name "${name}")
    json_string(version "${version}")
    json_string(licence "${licence}")
    json_string(purl "${purl}")
    json_string(description "${description}")
    set(component "{\"type\": \"library\", \"bom-ref\": ${purl}, \"supplier\": ${supplier}, \"name\": ${name},
        \"version\": ${version}, \"description\": ${description}, \"scope\": \"required\",
        \"licenses\": [{\"expression\": ${licence}}], \"purl\": ${purl}, \"properties\": ${properties}}")
    string(JSON length LENGTH "${components}")
    string(JSON components SET "${components}" ${length} "${component}")
    string(JSON dependencies SET "${dependencies}" ${length} "${purl}")
    set(components "${components}" PARENT_SCOPE)
    set(dependencies "${dependencies}" PARENT_SCOPE)
endfunction()

# A Debian package's purl: "+" and ":" escaped in its name and version.
function(debian_purl var name version architecture)
    foreach(part IN ITEMS name version)
        string(REPLACE "+" "%2B" ${part} "${${part}}")
        string(REPLACE ":" "%3A" ${part} "${${part}}")
    endforeach()
    set(${var} "pkg:deb/debian/${name}@${version}?arch=${architecture}" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/linked_packages.cmake) # the licences of Debian's source packages
set(debian "{\"name\": \"Debian\", \"url\": [\"https://www.debian.org\"]}")

list(FILTER CPACK_PACKAGE_FILES EXCLUDE REGEX "/cpack-npm-metadata\\.json$") # no package
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(package_name ${package} NAME)
    file(GLOB_RECURSE programs ${CPACK_TEMPORARY_DIRECTORY}/*)
    list(FILTER programs INCLUDE REGEX "/bin/tax2008$|/tax2008\\.(exe|wasm)$")
    list(LENGTH programs count)
    if(NOT count EQUAL 1)
        message(FATAL_ERROR "${package_name}: not one program in ${CPACK_TEMPORARY_DIRECTORY}: ${programs}")
    endif()
    file(SHA256 ${programs} program_sha256)
    file(RELATIVE_PATH program_path ${CPACK_TEMPORARY_DIRECTORY} ${programs})

    file(GLOB_RECURSE shipped LIST_DIRECTORIES false RELATIVE ${CPACK_TEMPORARY_DIRECTORY}
        ${CPACK_TEMPORARY_DIRECTORY}/*)
    if(package MATCHES "\\.deb$")
        # (CPack keeps the .deb's own members at the top.)
        list(FILTER shipped INCLUDE REGEX "/")
    endif()
    list(SORT shipped)
    set(files "[]")
    foreach(path IN LISTS shipped)
        file(SHA256 ${CPACK_TEMPORARY_DIRECTORY}/${path} sha256)
        json_string(file_name "${path}")
        json_string(file_ref "file:${path}")
        string(JSON length LENGTH "${files}")
        string(JSON files SET "${files}" ${length} "{\"type\": \"file\", \"bom-ref\": ${file_ref},
            \"name\": ${file_name}, \"hashes\": [{\"alg\": \"SHA-256\", \"content\": \"${sha256}\"}]}")
    endforeach()

    set(components "[]")
    set(dependencies "[]")
    foreach(component IN LISTS CPACK_TAX2008_COMPONENTS)
        string(REPLACE "|" ";" fields "${component}")
        list(POP_FRONT fields name version source source_version architecture licence)
        debian_purl(purl ${name} ${version} ${architecture})
        add_component(${name} ${version} "${licence}" "${debian}" ${purl}
            "Linked into the program from this package, built from the Debian source package ${source}"
            "[{\"name\": \"tax2008:debian-source\", \"value\": \"${source} ${source_version}\"}]")
    endforeach()
    if(package MATCHES "\\.deb$")
        execute_process(COMMAND dpkg-deb -f ${package} Depends Architecture OUTPUT_VARIABLE control
            COMMAND_ERROR_IS_FATAL ANY)
        string(REGEX MATCH "Architecture: ([^\n]+)" _ "${control}")
        set(architecture ${CMAKE_MATCH_1})
        string(REGEX MATCH "Depends: ([^\n]+)" _ "${control}")
        string(REPLACE ", " ";" depends "${CMAKE_MATCH_1}")
        foreach(depend IN LISTS depends)
            string(REGEX MATCH "^[^ ]+" name "${depend}")
            execute_process(
                COMMAND dpkg-query -W "-f=\${Version};\${source:Package};\${source:Version}" ${name}:${architecture}
                OUTPUT_VARIABLE installed COMMAND_ERROR_IS_FATAL ANY)
            list(POP_FRONT installed version source)
            tax2008_source_licence(${source} ${name} licence)
            debian_purl(purl ${name} ${version} ${architecture})
            add_component(${name} ${version} "${licence}" "${debian}" ${purl}
                "Needed at run time and not included: the package depends on ${depend}; the version is the one it was built against"
                "[{\"name\": \"tax2008:depends\", \"value\": \"${depend}\"}]")
        endforeach()
    endif()
    foreach(component IN LISTS CPACK_TAX2008_NPM_COMPONENTS)
        string(REPLACE "|" ";" fields "${component}")
        list(POP_FRONT fields name version licence)
        string(REPLACE "@" "%40" purl_name "${name}")
        add_component(${name} ${version} "${licence}" "{\"name\": \"npm\", \"url\": [\"https://www.npmjs.com\"]}"
            "pkg:npm/${purl_name}@${version}" "Shipped with the web page, which runs the program with it" "[]")
    endforeach()

    string(TIMESTAMP timestamp "%Y-%m-%dT%H:%M:%SZ" UTC) # SOURCE_DATE_EPOCH
    string(UUID serial NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8 NAME "${package_name} ${program_sha256}" TYPE SHA1)
    json_string(description "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
    json_string(vendor "${CPACK_PACKAGE_VENDOR}")
    set(bom "{
        \"bomFormat\": \"CycloneDX\", \"specVersion\": \"1.5\", \"serialNumber\": \"urn:uuid:${serial}\", \"version\": 1,
        \"metadata\": {
            \"timestamp\": \"${timestamp}\",
            \"supplier\": {\"name\": ${vendor}},
            \"component\": {
                \"type\": \"application\", \"bom-ref\": \"tax2008\", \"name\": \"tax2008\",
                \"version\": \"${CPACK_PACKAGE_VERSION}\", \"description\": ${description},
                \"licenses\": [{\"license\": {\"id\": \"MIT\"}}],
                \"hashes\": [{\"alg\": \"SHA-256\", \"content\": \"${program_sha256}\"}],
                \"properties\": [{\"name\": \"tax2008:package\", \"value\": \"${package_name}\"},
                    {\"name\": \"tax2008:file\", \"value\": \"${program_path}\"}],
                \"components\": ${files}
            }
        },
        \"components\": ${components},
        \"dependencies\": [{\"ref\": \"tax2008\", \"dependsOn\": ${dependencies}}]
    }")
    # Written again by CMake's JSON writer, evenly indented.
    string(JSON bom SET "${bom}" version 1)
    file(WRITE ${CPACK_PACKAGE_DIRECTORY}/${package_name}.cdx.json "${bom}\n")
endforeach()
