#!/usr/bin/env bash
# Makes the Debian package from the build folder $1 into $2, as scripts/package
# does, and checks that exactly the one expected file came out.
set -euo pipefail
rm -rf "$2"
cpack --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1 || { cat "$2.log"; exit 1; }
ls "$2"/*.deb
[ "$(cd "$2" && ls -- *.deb)" = kolvanto_3.12_amd64.deb ]
