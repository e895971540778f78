# Helpers the install checks share (sourced).
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every file an installed copy must hold, relative to the prefix ($1: the app id).
installed_files() {
    local id="$1"
    echo bin/tessaline
    echo bin/tessaline-cli
    echo "share/applications/$id.desktop"
    echo "share/metainfo/$id.metainfo.xml"
    for size in 16 22 24 32 48 64 128 256 512; do
        echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    echo "share/icons/hicolor/scalable/apps/$id.svg"
    echo share/man/man1/tessaline.1.gz
    echo share/man/man1/tessaline-cli.1.gz
    echo share/tessaline/Pictures/less-secure-apps1.jpg
    echo share/tessaline/Pictures/less-secure-apps2.jpg
    echo share/doc/tessaline/copyright
    echo share/doc/tessaline/changelog.gz
}

# `$1 --version` must name the version $2 and read its runtime files from $3; no display needed.
expect_version() {
    local program="$1" version="$2" data="$3" output
    output="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version)" ||
        fail "$program --version exited with $?"
    [ "$(sed -n 1p <<<"$output")" = "$(basename "$program") $version" ] ||
        fail "$program --version printed: $output"
    [ "$(sed -n 2p <<<"$output")" = "runtime files: $(realpath "$data")" ] ||
        fail "$program does not read its runtime files from $data: $output"
}
