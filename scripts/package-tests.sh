#!/usr/bin/env bash
# CI: builds the Debian package, installs it with apt-get as a user would,
# runs the installed programs from the PATH, then purges the package and
# checks that nothing of it stays. Needs root (it installs a package).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "package tests: skipped (they install a package: run as root)"
  exit 0
fi
start=$(date +%s)
deb=$(bash scripts/package.sh | tail -n 1)
built=$(date +%s)
export DEBIAN_FRONTEND=noninteractive

checks=0
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}
has_line() { grep -qE "$1" <<<"$2"; }

fields=$(dpkg-deb --field "$deb" Package Version Depends Suggests)
check "package fields: Depends from shlibdeps" has_line '^Depends: .*libqt6widgets6' "$fields"
check "package fields: Wine suggested" has_line '^Suggests: wine' "$fields"
check "maintainer scripts present" has_line 'postinst' "$(dpkg-deb --info "$deb")"
contents=$(dpkg-deb --contents "$deb")
for doc in copyright changelog.Debian.gz; do
  check "/usr/share/doc/korvane/$doc in the package" has_line "\./usr/share/doc/korvane/$doc\$" "$contents"
done
for arch in x86 x64; do
  check "Windows korvane-cli.exe ($arch) in the package" \
    has_line "\./usr/lib/korvane/win32-$arch/korvane-cli\.exe\$" "$contents"
done
# lintian: no errors (warnings are for reading, not failing).
lintian_log=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
printf '%s\n' "$lintian_log" | sed -n 's/^/lintian: /p'
check "lintian reports no errors" bash -c '! grep -q "^E: " <<<"$1"' _ "$lintian_log"
# Debian's hardening flags reached both programs: BIND_NOW and fortified calls.
unpacked=$(mktemp -d /tmp/korvane-deb.XXXXXX)
dpkg-deb -x "$deb" "$unpacked"
for program in korvane korvane-cli; do
  binary="$unpacked/usr/lib/korvane/$program"
  check "$program linked with BIND_NOW" has_line 'BIND_NOW|FLAGS_1.*NOW' "$(readelf -d "$binary")"
  check "$program built with _FORTIFY_SOURCE" has_line '__[a-z_]+_chk\b' "$(readelf --dyn-syms -W "$binary")"
done
rm -rf "$unpacked"

apt-get -o DPkg::Lock::Timeout=600 install -y "./$deb" >/dev/null
installed=$(dpkg-query -L korvane)
version=$(dpkg-deb --field "$deb" Version)

work=$(mktemp -d /tmp/korvane-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
export KORVANE_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export XDG_CONFIG_DIRS="$work/system" QT_QPA_PLATFORM=offscreen
check "korvane-cli on the PATH" test "$(command -v korvane-cli)" = /usr/bin/korvane-cli
check "korvane-cli --version" has_line "^korvane-cli ${version%%-*}$" "$(korvane-cli --version)"
check "korvane --version" has_line "^korvane ${version%%-*}$" "$(korvane --version)"
check "korvane --help" has_line '^  -s ' "$(korvane --help)"
check "korvane-cli info on a component" \
  has_line $'^TypeLib Name:\tKorvaneAlpha' "$(korvane-cli info fuzz/corpus/typelib/pe32_one.dll)"
check "manual page found" test "$(man -w korvane-cli)" = /usr/share/man/man1/korvane-cli.1.gz
check "MIME database knows .ocx" \
  grep -qF 'application/vnd.microsoft.portable-executable:*.ocx' /usr/share/mime/globs2
if command -v update-desktop-database >/dev/null; then
  check "desktop database lists the entry" grep -q 'org.example.korvane.desktop' \
    /usr/share/applications/mimeinfo.cache
fi
# The verbs of the installed program name the program folder's korvane.
korvane-cli verbs enable
check "verbs status after enable" test "$(korvane-cli verbs status)" = enabled
check "Dolphin action starts the installed program" grep -qx 'Exec=/usr/lib/korvane/korvane -r %f' \
  "$XDG_DATA_HOME/kio/servicemenus/korvane-components.desktop"
korvane-cli verbs disable
check "verbs removed" test -z "$(find "$work/data" "$work/config" -type f 2>/dev/null)"

apt-get -o DPkg::Lock::Timeout=600 purge -y korvane >/dev/null
check "package gone" test -z "$(dpkg-query -W -f='${Status}' korvane 2>/dev/null | grep -v not-installed)"
left=0
while IFS= read -r path; do
  # Shared folders (/usr, /usr/share/...) stay; every file and Korvane's own folders go.
  if [ -L "$path" ] || [ -f "$path" ]; then
    echo "left behind: $path"
    left=$((left + 1))
  fi
done <<<"$installed"
check "no file of the package stays" test "$left" -eq 0
check "no folder of Korvane's own stays" test ! -e /usr/lib/korvane -a ! -e /usr/share/korvane
check "MIME type gone with it" bash -c '! grep -qF vnd.microsoft.portable-executable /usr/share/mime/globs2'

end=$(date +%s)
size=$(stat -c %s "$deb")
echo "package tests: $((checks - failures)) of $checks checks passed; $(basename "$deb") $((size / 1024)) KiB," \
  "$(dpkg-deb --field "$deb" Installed-Size) KiB installed; build $((built - start)) s, tests $((end - built)) s"
[ "$failures" -eq 0 ]
