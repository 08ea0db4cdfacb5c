#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Tests cmake/wine-probe: yes where Wine starts the probe; no, with Wine's
# own words, where Wine starts nothing, whether it exits 0 (as it does without
# wine32) or cannot itself be started (a host without 32-bit execution); and
# an error, never a no, where there is no Wine.
#
#   cmake/wine_probe_test.sh COMPILER WINE-COMMAND...
#
# The Wine command given must start the programs the compiler given builds.
set -uo pipefail
probe=$(dirname "$0")/wine-probe
compiler=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Stand-ins for Wine where it cannot start a 32-bit program. Without wine32,
# Debian's wine says so, unless WINEDEBUG silences it, and exits 0.
cat >"$work/wine-without-wine32" <<'EOF'
#!/bin/sh
case $WINEDEBUG in *-all*) ;; *) echo "it looks like wine32 is missing, you should install it." >&2 ;; esac
echo "0118:err:module:load_wow64_ntdll failed to load ntdll.dll error c0000135" >&2
EOF
# On a host that cannot start 32-bit x86 programs, wine execs its 32-bit
# loader in vain: here one for a processor that no host has.
printf '\177ELF\001\001\001\0\0\0\0\0\0\0\0\0\002\0\377\377\001\0\0\0' >"$work/loader"
printf '#!/bin/sh\nexec %s "$@"\n' "$work/loader" >"$work/wine-on-a-host-without-32-bit"
chmod +x "$work"/*

passed=0 failed=0
# Runs the probe with the arguments that follow; it must exit `status` and
# print the line `says`.
expect() {
    local status=$1 says=$2 output exited
    shift 2
    output=$("$probe" "$@")
    exited=$?
    if [[ $exited == "$status" && $output == "$says" ]]; then
        passed=$((passed + 1))
    else
        echo "FAILED: wine-probe $*: exited $exited, saying '$output'; expected $status, saying '$says'"
        failed=$((failed + 1))
    fi
}
expect 0 "" "$compiler" "$@"
expect 1 "it looks like wine32 is missing, you should install it." \
    "$compiler" env WINEDEBUG=-all "$work/wine-without-wine32"
expect 1 "$work/wine-on-a-host-without-32-bit: 2: exec: $work/loader: Exec format error" \
    "$compiler" "$work/wine-on-a-host-without-32-bit"
expect 2 "no $work/no-wine to start Windows programs (apt-get install wine)" "$compiler" "$work/no-wine"
echo "$passed passed, $failed failed"
((failed == 0))
