#!/usr/bin/env bash
# The package's file list and control fields.
set -euo pipefail
deb=$1
expected='./usr/
./usr/bin/
./usr/bin/kolvanto
./usr/bin/kolvanto-cli
./usr/share/
./usr/share/applications/
./usr/share/applications/kolvanto.desktop
./usr/share/bash-completion/
./usr/share/bash-completion/completions/
./usr/share/bash-completion/completions/kolvanto-cli
./usr/share/doc/
./usr/share/doc/kolvanto/
./usr/share/doc/kolvanto/changelog.gz
./usr/share/doc/kolvanto/copyright
./usr/share/doc/kolvanto/help/
./usr/share/doc/kolvanto/help/divide.html
./usr/share/doc/kolvanto/help/index.html
./usr/share/doc/kolvanto/help/restore.html
./usr/share/doc/kolvanto/help/self_restore.html
./usr/share/doc/kolvanto/help/types.html
./usr/share/doc/kolvanto/help/using_help.html
./usr/share/doc/kolvanto/help/validity_check.html
./usr/share/icons/
./usr/share/icons/hicolor/
./usr/share/icons/hicolor/scalable/
./usr/share/icons/hicolor/scalable/apps/
./usr/share/icons/hicolor/scalable/apps/kolvanto.svg
./usr/share/kolvanto/
./usr/share/kolvanto/Kolvanto.dat
./usr/share/lintian/
./usr/share/lintian/overrides/
./usr/share/lintian/overrides/kolvanto
./usr/share/man/
./usr/share/man/ja/
./usr/share/man/ja/man1/
./usr/share/man/ja/man1/kolvanto-cli.1.gz
./usr/share/man/ja/man1/kolvanto.1.gz
./usr/share/man/man1/
./usr/share/man/man1/kolvanto-cli.1.gz
./usr/share/man/man1/kolvanto.1.gz
./usr/share/metainfo/
./usr/share/metainfo/org.example.kolvanto.metainfo.xml'
files=$(dpkg-deb -c "$deb" | awk '{ print $2 " " $6 }')
# Everything root's; the programs alone executable.
if grep -v '^root/root ' <<<"$files"; then exit 1; fi
diff <(echo "$expected") <(awk '{ print $2 }' <<<"$files" | sort)
[ "$(dpkg-deb -c "$deb" | awk '$1 ~ /x$/ && $1 !~ /^d/ { print $6 }')" = './usr/bin/kolvanto
./usr/bin/kolvanto-cli' ]

[ "$(dpkg-deb -f "$deb" Package Version Architecture Section)" = 'Package: kolvanto
Version: 3.12
Architecture: amd64
Section: utils' ]
depends=$(dpkg-deb -f "$deb" Depends)
for needed in 'fonts-noto-cjk' 'qt6-translations-l10n' 'qt6-qpa-plugins' 'libqt6widgets6 (>= ' \
  'libqt6core6 (>= ' 'libc6 (>= '; do
  [[ ", $depends" == *", $needed"* ]] || { echo "Depends lacks $needed: $depends"; exit 1; }
done
echo "file list and control fields as expected"
