# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Writes the staged page's service worker from its template, its cache named
# by a digest of every other file of the page as staged, so that a page
# rebuilt with changes, even at the same version, is a new worker to the
# browser, and one built again without changes is not.
#
#   cmake -D STAGE=<staged page> -D TEMPLATE=<template> -D OUTPUT=<copy> -P service_worker.cmake
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(hashes "")
foreach(file IN LISTS files)
    file(SHA256 ${STAGE}/${file} hash)
    string(APPEND hashes "${hash} ${file}\n")
endforeach()
string(SHA256 TAX2008_PAGE_DIGEST "${hashes}")
string(SUBSTRING ${TAX2008_PAGE_DIGEST} 0 16 TAX2008_PAGE_DIGEST)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
file(COPY_FILE ${OUTPUT} ${STAGE}/service-worker.js)
