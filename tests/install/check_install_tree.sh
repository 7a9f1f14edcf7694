#!/usr/bin/env bash
# Installs the build into a scratch root as a distribution would (prefix /usr), then lets the
# desktop's own validators judge the menu entry, the AppStream metadata and the whole tree.
# Usage: check_install_tree.sh BUILD_DIR APPLICATION_ID EXECUTABLE
set -euo pipefail
build=$1 id=$2 exe=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

failed=0
expect() {
  if [[ ! -f "$root/usr/$1" ]]; then
    echo "missing from the install: /usr/$1"
    failed=1
  fi
}
expect "bin/$exe"
expect "share/applications/$id.desktop"
expect "share/metainfo/$id.metainfo.xml"
expect "share/man/man1/$exe.1.gz"
expect "share/doc/veltrane/copyright"
expect "share/doc/veltrane/changelog.gz"
for size in 16 32 48 64 128 256; do
  expect "share/icons/hicolor/${size}x${size}/apps/$id.png"
done
expect "share/icons/hicolor/scalable/apps/$id.svg"
((failed == 0)) || exit 1

echo "--- icon sizes"
# Each PNG is as large as the theme folder it sits in says.
for png in "$root"/usr/share/icons/hicolor/*/apps/"$id".png; do
  folder=$(basename "$(dirname "$(dirname "$png")")")
  actual=$(/usr/bin/python3 -c 'import sys; from PIL import Image; w, h = Image.open(sys.argv[1]).size; print(f"{w}x{h}")' "$png")
  if [[ "$actual" != "$folder" ]]; then
    echo "$png is $actual"
    exit 1
  fi
done
echo "every icon is the size of its folder"

echo "--- desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
echo "--- appstreamcli validate --no-net --pedantic"
appstreamcli validate --no-net --pedantic --no-color "$root/usr/share/metainfo/$id.metainfo.xml"
echo "--- appstreamcli validate-tree --no-net"
appstreamcli validate-tree --no-net --no-color "$root"
echo "--- man page"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$exe.1.gz" 2>&1 >/dev/null)
if [[ -n "$man_warnings" ]]; then
  echo "$man_warnings"
  exit 1
fi
echo "--- every option of --help is in the manual"
manual=$(zcat "$root/usr/share/man/man1/$exe.1.gz")
for command in "" calc analyze; do
  # shellcheck disable=SC2086
  for option in $("$root/usr/bin/$exe" $command --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    if ! grep -qF -- "${option//-/\\-}" <<<"$manual"; then
      echo "the manual does not mention $option"
      failed=1
    fi
  done
done
((failed == 0)) || exit 1
echo "install tree valid"
