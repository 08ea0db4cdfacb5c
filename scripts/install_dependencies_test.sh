#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Tests scripts/install-dependencies against stand-ins for apt, dpkg and npm
# (nothing is installed, and no list is written): an index that a mirror
# cannot serve, of which apt only warns and exits 0, is tried three times
# and reported, not taken as updated.
#
#   scripts/install_dependencies_test.sh
set -uo pipefail
script=$(dirname "$0")/install-dependencies
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# apt's update warns of an index it cannot fetch; its lists hold Debian's
# binary and source packages alike; every package is installed, but CMake,
# until apt installs it.
stand_in() {
    printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/$1"
    chmod +x "$work/$1"
}
stand_in apt-get 'case $1 in
update) echo update >>"'"$work"'/updates"
    echo "W: Failed to fetch http://deb.debian.org/debian/dists/bookworm/InRelease  Could not connect"
    echo "W: Some index files failed to download. They have been ignored, or old ones used instead." ;;
indextargets) echo "http://deb.debian.org/debian bookworm main /etc/apt/sources.list.d/debian.sources:1" ;;
install) touch "'"$work"'/installed" ;;
esac'
stand_in dpkg-query '[[ $3 == cmake && ! -e "'"$work"'/installed" ]] || echo "install ok installed"'
stand_in dpkg 'echo i386'
stand_in npm 'true'
stand_in sleep 'true'

output=$(PATH=$work:$PATH bash "$script" 2>&1)
status=$?
fail() {
    echo "FAILED: $1"
    echo "$output"
    exit 1
}
((status == 0)) || fail "it exited $status"
grep -qx 'Not updated (its index could not be fetched): http://deb.debian.org/debian/dists/bookworm/InRelease  Could not connect' \
    <<<"$output" || fail "it did not report the index it could not fetch"
grep -q 'Every package is installed' <<<"$output" && fail "it said every package is installed"
(($(wc -l <"$work/updates") >= 3)) || fail "it tried the update $(wc -l <"$work/updates") times, not 3"
echo "passed"
