#!/usr/bin/env bash
# cmake --install into a throw-away prefix, then checks the tree: every file there, the menu
# entry and the metadata valid, both programs' --version, the window program finding its pictures.
# Usage: check-install-tree.sh BUILD_DIR WORK_DIR VERSION APP_ID
source "$(dirname "$0")/install-common.sh"
build="$1" work="$2" version="$3" id="$4"
prefix="$work/prefix"
rm -rf "$work"
mkdir -p "$work"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
while read -r file; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done < <(installed_files "$id")

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metadata"
newest="$(grep -o '<release version="[^"]*"' "$prefix/share/metainfo/$id.metainfo.xml" | head -n 1)"
[ "$newest" = "<release version=\"$version\"" ] || fail "newest release in the metadata: $newest"
zcat "$prefix/share/man/man1/tessaline-cli.1.gz" | man --warnings=w -l - >/dev/null 2>"$work/man.err"
[ ! -s "$work/man.err" ] || fail "manual page: $(cat "$work/man.err")"

expect_version "$prefix/bin/tessaline-cli" "$version" "$prefix/share/tessaline"
expect_version "$prefix/bin/tessaline" "$version" "$prefix/share/tessaline"

report="$(QT_QPA_PLATFORM=offscreen "$prefix/bin/tessaline" --check-install 2>/dev/null)" ||
    fail "the installed window program misses runtime files: $report"
for picture in less-secure-apps1.jpg less-secure-apps2.jpg; do
    grep -qF "picture: $(realpath "$prefix")/share/tessaline/Pictures/$picture (" <<<"$report" ||
        fail "help picture $picture not found: $report"
done
echo "installed tree complete: $prefix"
