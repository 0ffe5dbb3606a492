#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a private root and runs what it installed there: the
# programs find their shared folder as ../share/trovel-studio, the studio writes only into a fresh
# home, the desktop files validate.
# usage: package_test.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -u
build=$1 src=$2 work=$3
if [ -d "$work/root" ]; then chmod -R u+w "$work/root"; fi
rm -rf "$work" && mkdir -p "$work"
# Nothing here writes outside the work folder, caches of the validators included.
unset TROVEL_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_CONFIG_HOME
export HOME="$work/tools-home" XDG_RUNTIME_DIR="$work/xdg"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$2" == "$3" ] || fail "$1: expected [$3] got [$2]"; }
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }

# The install rules and CPack settings of make package; the tree is installed here first so that
# CPack does not walk the whole build again to see that it is up to date (the tests run after it).
{ cmake --install "$build" --prefix "$work/stage/usr" --strip &&
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" -D CPACK_INSTALL_CMAKE_PROJECTS= \
    -D "CPACK_INSTALLED_DIRECTORIES=$work/stage/usr;usr"; } > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/out/trovel-studio_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $deb"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for d in fonts-ipafont-gothic libqt6gui6 libqt6widgets6 libhidapi-hidraw0 libc6; do
  grep -q "\b$d\b" <<< "$depends" || fail "Depends lacks $d: $depends"
done
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/contents"
for f in /usr/bin/trovel-studio /usr/bin/trovel-cli /usr/share/trovel-studio/qx_def.ini \
         /usr/share/trovel-studio/skin.ini /usr/share/trovel-studio/texture.ini /usr/share/trovel-studio/lang/en.txt \
         /usr/share/applications/trovel-studio.desktop /usr/share/icons/hicolor/scalable/apps/trovel-studio.svg \
         /usr/share/icons/hicolor/scalable/mimetypes/application-x-trovel-program.svg \
         /usr/share/metainfo/org.trovelstudio.TrovelStudio.metainfo.xml /usr/share/mime/packages/trovel-studio.xml \
         /usr/share/thumbnailers/trovel-studio.thumbnailer /usr/lib/udev/rules.d/70-trovel-robot.rules \
         /usr/share/man/man1/trovel-studio.1.gz /usr/share/man/man1/trovel-cli.1.gz; do
  grep -qx "$f" "$work/contents" || fail "package lacks $f"
done
for s in 16 22 24 32 48 64 128 256; do
  grep -qx "/usr/share/icons/hicolor/${s}x${s}/apps/trovel-studio.png" "$work/contents" || fail "no ${s}px icon"
done
grep -v '^/usr/' "$work/contents" | grep -v '^/$' | grep -q . && fail "files outside /usr: $(grep -v '^/usr/' "$work/contents")"

root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
usr="$root/usr"
for f in "$usr"/share/icons/hicolor/*/apps/trovel-studio.png; do
  size=$(basename "$(dirname "$(dirname "$f")")")
  expect_eq "icon $size" "$(png_size "$f")" "$size"
done

desktop-file-validate "$usr/share/applications/trovel-studio.desktop" > "$work/desktop.log" 2>&1 ||
  fail "desktop-file-validate: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$usr/share/metainfo/org.trovelstudio.TrovelStudio.metainfo.xml" > "$work/as.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/as.log")"
grep -q '^Exec=trovel-studio %f$' "$usr/share/applications/trovel-studio.desktop" || fail "desktop entry does not open files"
# The names the files give each other resolve to what the package installs.
icon=$(sed -n 's/^Icon=//p' "$usr/share/applications/trovel-studio.desktop")
[ -f "$usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "desktop icon [$icon] not installed"
mime_icon=$(sed -n 's/.*<icon name="\([^"]*\)".*/\1/p' "$usr/share/mime/packages/trovel-studio.xml")
[ -f "$usr/share/icons/hicolor/48x48/mimetypes/$mime_icon.png" ] || fail "file type icon [$mime_icon] not installed"
for f in applications/trovel-studio.desktop thumbnailers/trovel-studio.thumbnailer; do
  grep -qx 'MimeType=application/x-trovel-program;' "$usr/share/$f" || fail "$f does not name the program file type"
done
rule=$(cat "$usr/lib/udev/rules.d/70-trovel-robot.rules")
vid=$(sed -n 's/.*RobotVendorId = 0x\([0-9A-Fa-f]*\);.*/\1/p' "$src/src/robot/hid_device.h" | tr A-F a-f)
pid=$(sed -n 's/.*RobotProductId = 0x\([0-9A-Fa-f]*\);.*/\1/p' "$src/src/robot/hid_device.h" | tr A-F a-f)
grep -q "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"$vid\", ATTRS{idProduct}==\"$pid\", TAG+=\"uaccess\"" <<< "$rule" ||
  fail "udev rule: $rule"
# The MIME type compiles, and knows a program file by name and by content.
XDG_DATA_DIRS="$usr/share" update-mime-database "$usr/share/mime" > "$work/mime.log" 2>&1 ||
  fail "update-mime-database: $(cat "$work/mime.log")"
cp "$src/examples/line_follower.qxp" "$work/renamed.dat"
for f in "$src/examples/line_follower.qxp" "$work/renamed.dat"; do
  type=$(XDG_DATA_HOME="$usr/share" XDG_DATA_DIRS="$usr/share:/usr/share" gio info -a standard::content-type "$f" |
         sed -n 's/.*standard::content-type: //p')
  expect_eq "MIME type of $(basename "$f")" "$type" "application/x-trovel-program"
done

# The unpacked programs, with nothing pointing them at a folder, in a fresh home.
export HOME="$work/home"
cli="$usr/bin/trovel-cli"
example="$src/examples/line_follower.qxp"
cp "$example" "$work/example.qxp"
expect_eq "compile" "$("$cli" compile "$work/example.qxp")" "$("$build/bin/trovel-cli" compile "$example")"
"$cli" simulate "$work/example.qxp" --ticks 100 > "$work/sim.json" 2> "$work/sim.err" ||
  fail "simulate from the shared folder: $(cat "$work/sim.err")"
grep -q '"ticks":100' "$work/sim.json" || fail "simulate: $(cat "$work/sim.json")"
"$cli" render "$work/example.qxp" --out "$work/chart.png" 2> "$work/render.err" || fail "render: $(cat "$work/render.err")"
"$build/bin/trovel-cli" render "$example" --out "$work/chart-build.png" --app-dir "$build/bin" || fail "build render"
cmp -s "$work/chart.png" "$work/chart-build.png" || fail "installed render differs from the build's"
# The thumbnailer entry as a file manager runs it.
exec_line=$(sed -n 's/^Exec=//p' "$usr/share/thumbnailers/trovel-studio.thumbnailer")
exec_line=${exec_line//%i/$work/example.qxp}; exec_line=${exec_line//%o/$work/thumb.png}; exec_line=${exec_line//%s/128}
(cd "$work" && PATH="$usr/bin:$PATH" eval "$exec_line") || fail "thumbnailer: $exec_line"
size=$(png_size "$work/thumb.png" 2>/dev/null)
[[ "$size" =~ ^([0-9]+)x128$ && ${BASH_REMATCH[1]} -le 128 ]] || fail "thumbnail size [$size]"

# --help and --version answer without a display, on standard output.
for p in trovel-cli trovel-studio; do
  expect_eq "$p --version" "$(env -u DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$p" --version | head -1)" "$p (TrovelStudio) $version"
  env -u DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$p" --help | grep -q "^Usage: $p" || fail "$p --help"
done

# The studio on a read-only shared folder with a fresh home: it starts, seeds the user's folder
# and leaves the installed files as they were.
chmod -R a-w "$usr/share/trovel-studio"
(cd "$usr/share/trovel-studio" && find . -type f -exec md5sum {} + | sort) > "$work/shared.before"
QT_QPA_PLATFORM=offscreen timeout 60 "$usr/bin/trovel-studio" --grab "$work/grab.png" > "$work/studio.log" 2>&1 ||
  fail "installed studio did not start: $(cat "$work/studio.log")"
[ -s "$work/grab.png" ] || fail "installed studio drew no window"
(cd "$usr/share/trovel-studio" && find . -type f -exec md5sum {} + | sort) > "$work/shared.after"
cmp -s "$work/shared.before" "$work/shared.after" || fail "the studio changed the shared folder"
cmp -s "$HOME/.local/share/trovel-studio/qx_def.ini" "$usr/share/trovel-studio/qx_def.ini" ||
  fail "user settings not seeded from the shared defaults"
chmod -R u+w "$root"

[ $failures -eq 0 ] && echo "package: all checks passed"
exit $((failures > 0))
