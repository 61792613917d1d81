#!/usr/bin/env bash
# check-package.sh BUILD_DIR: builds the Debian package with cpack in the build folder and
# checks it as a user's system would see it: the file list, the launcher and the
# AppStream data it installs, lintian (no errors), and both man pages render.
# Exit 77 (skipped) only when a checking tool is missing; ./dev.sh deps installs them.
set -euo pipefail
BUILD_DIR=$(cd "$1" && pwd)

missing=()
for t in cpack:cmake dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev desktop-file-validate:desktop-file-utils \
         appstreamcli:appstream lintian:lintian man:man-db; do
  command -v "${t%%:*}" >/dev/null || missing+=("${t##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: install ${missing[*]} to check the package"
  exit 77
fi

fail() { echo "FAILED: $*" >&2; exit 1; }

cd "$BUILD_DIR"
rm -f harkola_*_amd64.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; fail "cpack -G DEB"; }
debs=(harkola_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no harkola_<version>_amd64.deb in $BUILD_DIR"
deb=${debs[0]}
echo "built $deb"

list=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#')
for f in /usr/bin/harkola /usr/bin/harkola-cli /usr/share/applications/harkola.desktop \
         /usr/share/icons/hicolor/48x48/apps/harkola.png /usr/share/icons/hicolor/128x128/apps/harkola.png \
         /usr/share/icons/hicolor/scalable/apps/harkola.svg /usr/share/metainfo/org.harkola.Harkola.metainfo.xml \
         /usr/share/man/man1/harkola.1.gz /usr/share/man/man1/harkola-cli.1.gz \
         /usr/share/doc/harkola/copyright /usr/share/doc/harkola/changelog.gz; do
  grep -qx "$f" <<<"$list" || fail "$f is not in the package"
done
# Only system places: nothing from the build tree, the tests or a developer's prefix.
if grep -v -E '^/usr/(bin|share)/' <<<"$list" | grep -v -E '^/(usr/(share/)?)?$'; then
  fail "files outside /usr/bin and /usr/share"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6network6 libqt6serialport6 libqt6multimedia6 libc6 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/harkola.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.harkola.Harkola.metainfo.xml" || fail "appstreamcli validate"

for page in harkola harkola-cli; do
  out=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>"$root/man.err") \
    || fail "man -l $page.1.gz"
  [ -s "$root/man.err" ] && { cat "$root/man.err"; fail "man page $page has troff warnings"; }
  grep -q "^NAME" <<<"$out" && grep -q "$page" <<<"$out" || fail "man page $page renders empty"
done

# lintian exits non-zero on errors; warnings are printed for the reader.
lintian --tag-display-limit 0 "$deb" 2>&1 | tee "$root/lintian.txt" || true
grep -q '^E: ' "$root/lintian.txt" && fail "lintian reports errors"
echo "package checks passed"
