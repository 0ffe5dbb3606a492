#!/usr/bin/env bash
# Builds trovel-studio_VERSION_ARCH.deb and its -dbgsym package from a built tree, with Debian's
# own tools: the install rules into a staging root, the debug symbols split off by build id,
# Depends from dpkg-shlibdeps, and dpkg-deb. Two runs over the same commit give the same bytes:
# every time stamp is SOURCE_DATE_EPOCH (the commit's time unless set), owners are root, modes
# are set here, and dpkg-deb sorts what it packs.
# usage: build_deb.sh BUILD_DIR SOURCE_DIR OUT_DIR [DEBIAN_REVISION]
set -euo pipefail
build=$(realpath "$1") src=$(realpath "$2") out=$3 revision=${4:-1}
mkdir -p "$out" && out=$(realpath "$out")
upstream=$(sed -n 's/^#define TROVEL_VERSION "\(.*\)"$/\1/p' "$build/generated/trovel_version.h")
[ -n "$upstream" ] || { echo "build_deb.sh: no version in $build/generated/trovel_version.h" >&2; exit 1; }
version="$upstream-$revision"
arch=$(dpkg --print-architecture)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null ||
                      date -d "$(sed -n 's/^ -- .*>  //p' "$src/debian/changelog" | head -1)" +%s)
fi
export SOURCE_DATE_EPOCH
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

work="$out/deb-work"
root="$work/trovel-studio" dbg="$work/trovel-studio-dbgsym"
rm -rf "$work" && mkdir -p "$root/DEBIAN" "$dbg/DEBIAN"
DESTDIR="$root" cmake --install "$build" --prefix /usr > "$work/install.log" ||
  { cat "$work/install.log" >&2; exit 1; }
doc="$root/usr/share/doc/trovel-studio"
# The Debian changelog names the version being built.
sed "1s/^trovel-studio ([^)]*)/trovel-studio ($version)/" "$src/debian/changelog" | gzip -9n > "$doc/changelog.Debian.gz"

# Debug symbols into the dbgsym package by build id, the binaries stripped as dh_strip does.
build_ids=()
for f in "$root"/usr/bin/*; do
  id=$(readelf -n "$f" | sed -n 's/^ *Build ID: \([0-9a-f]*\)$/\1/p')
  [ -n "$id" ] || { echo "build_deb.sh: $f has no build id" >&2; exit 1; }
  debug="$dbg/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
  mkdir -p "$(dirname "$debug")"
  objcopy --only-keep-debug --compress-debug-sections "$f" "$debug"
  strip --remove-section=.comment --remove-section=.note "$f"
  objcopy --add-gnu-debuglink="$debug" "$f"
  build_ids+=("$id")
done
mkdir -p "$dbg/usr/share/doc"
ln -s trovel-studio "$dbg/usr/share/doc/trovel-studio-dbgsym"

# The libraries the binaries use, as dpkg-shlibdeps finds them (it wants a debian/control).
mkdir -p "$work/shlibs/debian"
printf 'Source: trovel-studio\n\nPackage: trovel-studio\nArchitecture: any\n' > "$work/shlibs/debian/control"
shlibs=$(cd "$work/shlibs" && dpkg-shlibdeps -O "$root"/usr/bin/* 2>"$work/shlibdeps.log" | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { cat "$work/shlibdeps.log" >&2; exit 1; }

chmod -R u=rwX,go=rX "$root" "$dbg"
chmod 755 "$root"/usr/bin/*
size_of() { du -k -s --apparent-size --exclude=DEBIAN "$1" | cut -f1; }
common="Version: $version
Architecture: $arch
Maintainer: TrovelStudio developers <developers@trovelstudio.org>
Homepage: https://trovelstudio.org/"
cat > "$root/DEBIAN/control" <<CONTROL
Package: trovel-studio
$common
Installed-Size: $(size_of "$root")
Depends: $shlibs, fonts-ipafont-gothic
Recommends: qt6-translations-l10n
Suggests: pipewire-pulse | pulseaudio
Section: education
Priority: optional
Description: flowchart programming studio for a line-following robot
 Pupils draw programs for a small two-wheeled line-following robot as
 flowcharts, run them in a built-in simulator with timed laps and write them
 to the robot over USB.
 .
 The package includes trovel-cli, which checks, compiles, simulates, grades
 and draws programs without a window, and a teacher's guide with the site
 settings in /etc/trovel-studio.
CONTROL
cat > "$dbg/DEBIAN/control" <<CONTROL
Package: trovel-studio-dbgsym
Source: trovel-studio
$common
Installed-Size: $(size_of "$dbg")
Depends: trovel-studio (= $version)
Section: debug
Priority: optional
Auto-Built-Package: debug-symbols
Build-Ids: ${build_ids[*]}
Description: debug symbols for trovel-studio
CONTROL
(cd "$root" && find etc -type f -printf '/%p\n' | sort) > "$root/DEBIAN/conffiles"
install -m 755 "$src/packaging/postinst" "$root/DEBIAN/postinst"
for pkg in "$root" "$dbg"; do
  (cd "$pkg" && find . -path ./DEBIAN -prune -o -path ./etc -prune -o -type f -printf '%P\n' | sort |
     xargs -r -d '\n' md5sum) > "$pkg/DEBIAN/md5sums"
  chmod 644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"
  [ -f "$pkg/DEBIAN/conffiles" ] && chmod 644 "$pkg/DEBIAN/conffiles"
  find "$pkg" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
done
dpkg-deb --root-owner-group -Zxz -b "$root" "$out/trovel-studio_${version}_${arch}.deb" > /dev/null
dpkg-deb --root-owner-group -Zxz -b "$dbg" "$out/trovel-studio-dbgsym_${version}_${arch}.deb" > /dev/null
echo "$out/trovel-studio_${version}_${arch}.deb"
