#!/usr/bin/env bash
# Installs the build into a temporary tree (DESTDIR, prefix /usr) and checks
# every file against the place the freedesktop specifications give it; the
# desktop entry, the metainfo, the MIME package and the manual pages must
# pass their own tools. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build="$1"
for tool in desktop-file-validate appstreamcli man update-mime-database; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (scripts/setup.sh installs it)"
    exit 77
  fi
done

root=$(mktemp -d /tmp/korvane-install.XXXXXX)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
fail=0
problem() { echo "FAIL: $*"; fail=1; }

expected=(
  bin/korvane bin/korvane-cli
  lib/korvane/korvane lib/korvane/korvane-cli lib/korvane/readme.txt
  share/korvane/readme.txt
  share/applications/org.example.korvane.desktop
  share/metainfo/org.example.korvane.metainfo.xml
  share/mime/packages/korvane.xml
  share/icons/hicolor/scalable/apps/korvane.svg
  share/man/man1/korvane.1.gz share/man/man1/korvane-cli.1.gz
  share/doc/korvane/copyright share/doc/korvane/changelog.Debian.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/korvane.png")
done
for f in "${expected[@]}"; do
  [ -e "$usr/$f" ] || problem "missing /usr/$f"
done
# Nothing else: every installed file is one of the above (Windows helpers aside).
while IFS= read -r f; do
  rel=${f#"$usr/"}
  case " ${expected[*]} " in *" $rel "*) ;; *)
    case $rel in lib/korvane/win32-*/korvane-cli.exe) ;; *) problem "unexpected /usr/$rel" ;; esac
  esac
done < <(find "$usr" ! -type d)

# The links resolve inside the tree and the programs run from them.
[ "$(readlink "$usr/bin/korvane")" = "../lib/korvane/korvane" ] || problem "bin/korvane link"
[ "$(readlink "$usr/lib/korvane/readme.txt")" = "../../share/korvane/readme.txt" ] || problem "readme link"
cmp -s "$usr/lib/korvane/readme.txt" "$(dirname "$0")/../../src/ui/readme.txt" || problem "readme.txt content"
"$usr/bin/korvane-cli" --version | grep -q '^korvane-cli ' || problem "korvane-cli --version"
"$usr/bin/korvane" --version | grep -q '^korvane [0-9]' || problem "korvane --version"

# Each icon has the size its folder names.
for size in 16 22 24 32 48 64 128 256; do
  file "$usr/share/icons/hicolor/${size}x${size}/apps/korvane.png" | grep -q "PNG image data, $size x $size" ||
    problem "icon ${size}x${size}"
done

desktop-file-validate "$usr/share/applications/org.example.korvane.desktop" || problem "desktop-file-validate"
# The menu starts the program through its link in the configured prefix.
grep -qE '^Exec=/[^ ]*/bin/korvane %f$' "$usr/share/applications/org.example.korvane.desktop" ||
  problem "Exec line"
appstreamcli validate --no-net "$usr/share/metainfo/org.example.korvane.metainfo.xml" >/dev/null ||
  problem "appstreamcli validate"

# The MIME package loads and gives .dll and .ocx their type.
data=$(mktemp -d /tmp/korvane-mime.XXXXXX)
mkdir -p "$data/mime/packages"
cp "$usr/share/mime/packages/korvane.xml" "$data/mime/packages/"
XDG_DATA_DIRS="$data" update-mime-database "$data/mime" 2>&1 | { ! grep . ; } ||
  problem "update-mime-database warned"
for glob in '*.dll' '*.ocx'; do
  grep -qF "application/vnd.microsoft.portable-executable:$glob" "$data/mime/globs2" || problem "glob $glob"
done
rm -rf "$data"

# The manual pages render without a warning.
for page in korvane korvane-cli; do
  warnings=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || problem "man $page: $warnings"
  MANWIDTH=80 man -l "$usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q '^NAME' || problem "man $page renders"
done

[ $fail -eq 0 ] && echo "install tree: ${#expected[@]} files in place, all checks passed"
exit $fail
