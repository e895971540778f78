#!/usr/bin/env bash
# Builds the Debian package (cpack), checks its contents and lintian's verdict, installs it into
# a throw-away root with dpkg --root and runs the installed CLI against the test server.
# Usage: check-package.sh BUILD_DIR WORK_DIR VERSION APP_ID   (TESSALINE_FIXTURE_DIR set)
source "$(dirname "$0")/install-common.sh"
build="$1" work="$2" version="$3" id="$4"
rm -rf "$work"
mkdir -p "$work"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" ||
    fail "cpack: $(cat "$work/cpack.log")"
deb="$(ls "$work"/package/tessaline_"$version"_*.deb)"

contents="$(dpkg-deb --contents "$deb")"
while read -r file; do
    grep -qE " \./usr/$file\$" <<<"$contents" || fail "not in the package: /usr/$file"
done < <(installed_files "$id")
dpkg-deb --field "$deb" Depends | grep -q 'libqt6core6' || fail "no dependencies from dpkg-shlibdeps"
dpkg-deb --field "$deb" Depends | grep -q 'libqt6sql6-sqlite' || fail "no dependency on the SQLite plugin"
[ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'inst|rm$')" ] ||
    fail "the package has maintainer scripts"

# Errors fail; warnings are printed for the reader (none expected).
lintian --no-cfg --fail-on error "$deb" 2>/dev/null || fail "lintian found errors"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The throw-away root has no libraries of its own: the programs run on the machine's.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$work/dpkg.log" 2>&1 ||
    fail "dpkg --root: $(cat "$work/dpkg.log")"
cli="$root/usr/bin/tessaline-cli"
expect_version "$cli" "$version" "$root/usr/share/tessaline"

value() { sed -n "s/^$1=//p" "$TESSALINE_FIXTURE_DIR/fixture.env"; }
export HOME="$work/home"
unset XDG_DATA_HOME
# Rows end in CR LF, as the window's text file has them.
rows="$(TESSALINE_PASSWORD="$(value password)" "$cli" --host "$(value host):$(value port)" \
    --ca-file "$(value ca_file)" --user "$(value user)" --label Work --mode line-numbers --lines 1 | tr -d '\r')" ||
    fail "the installed CLI against the test server exited with $?"
expected=$'Agenda:\nBuild #512 failed on branch main.\nOwners assigned, see ticket WRK-7 and ticket WRK-9.'
[ "$rows" = "$expected" ] || fail "rows from the installed CLI: $rows"
# An installed copy logs per user, never beside the program.
[ -s "$HOME/.local/share/Marlowix/Tessaline/errorlog.txt" ] || fail "no per-user error log"
[ ! -e "$root/usr/bin/errorlog.txt" ] || fail "error log written beside the installed program"
echo "package checked: $deb"
