#!/usr/bin/env bash
# The package unpacked into a scratch folder: both programs tell their version
# (the window without a display), and the unpacked kolvanto-cli makes a
# self-restoring series with the Kolvanto.dat it finds at ../share/kolvanto/,
# which both kolvanto-cli and the series' own first piece restore.
set -euo pipefail
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$1" "$root"
cli=$root/usr/bin/kolvanto-cli
export XDG_CONFIG_HOME=$root/config

[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kolvanto" --version)" = "kolvanto 3.12" ]
expected="kolvanto-cli 3.12
$root/usr/share/kolvanto/Kolvanto.dat: 自己復元型分割データ  ver. 2.00
--self-restore 0: Linux x86-64
--self-restore 1: Windows x64"
[ "$("$cli" --version)" = "$expected" ] || { "$cli" --version; exit 1; }

cd "$root"
head -c 300000 /dev/urandom >report.doc
"$cli" divide report.doc -s 100K --self-restore 0 -y --defaults </dev/null 2>divide.log ||
  { cat divide.log; exit 1; }
[ -x report.exe ] && [ -f report.d04 ] && [ ! -e report.d05 ]
"$cli" restore report.exe -o "$root/by-cli.doc" -y --defaults </dev/null 2>restore.log ||
  { cat restore.log; exit 1; }
cmp report.doc by-cli.doc
mkdir by-stub
./report.exe -y -o by-stub </dev/null >stub.log 2>&1 || { cat stub.log; exit 1; }
cmp report.doc by-stub/report.doc
echo "the unpacked package divides and restores"
