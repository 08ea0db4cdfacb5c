# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# The bookkeeping of check-build, check-release and check-package: a work
# folder, removed at the end, and a line per check.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results=()
failed=0
# check SUBJECT WHAT COMMAND...: in a subshell; an exit of 77 is a skip, for
# the reason printed last after "skipped: ".
check() {
    local subject=$1 what=$2 status result
    shift 2
    ("$@") >"$work/log" 2>&1
    status=$?
    if ((status == 0)); then
        result=passed
    elif ((status == 77)); then
        result=skipped
        what+=" ($(sed -n 's/^skipped: //p' "$work/log" | tail -n 1))"
    else
        result=FAILED
        failed=1
        sed 's/^/    /' "$work/log"
    fi
    results+=("$(printf '%-8s %-44s %s' "$result" "$subject" "$what")")
    echo "${results[-1]}"
}
skip() {
    echo "skipped: $*"
    exit 77
}
summary() {
    printf '  %s\n' "${results[@]}"
    exit $failed
}
