#!/usr/bin/env bash
# Builds the package twice from one commit (HEAD unless COMMIT is given), each from its own clean
# export of the sources in folders of different names, without the compiler cache, and compares
# the two .deb files (and the -dbgsym ones) byte for byte; on a difference, lists the files inside
# that differ.
# usage: reproducible.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$(realpath "$1") work=$2
commit=${COMMIT:-HEAD}
mkdir -p "$work" && work=$(realpath "$work")
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct "$commit")}
for side in first second-build; do
  rm -rf "${work:?}/$side"
  mkdir -p "$work/$side/sources"
  echo "== $side: $(git -C "$src" rev-parse --short "$commit")"
  # git archive gives every file the commit's time, as a fresh clone of it would have.
  git -C "$src" archive "$commit" | tar -x -C "$work/$side/sources"
  CCACHE_DISABLE=1 cmake -S "$work/$side/sources" -B "$work/$side/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTROVEL_BENCH=OFF > "$work/$side.log"
  CCACHE_DISABLE=1 cmake --build "$work/$side/build" -j "$(nproc)" --target trovel-studio trovel-cli man_pages \
    >> "$work/$side.log" || { tail -30 "$work/$side.log"; exit 1; }
  bash "$work/$side/sources/packaging/build_deb.sh" "$work/$side/build" "$work/$side/sources" "$work/$side/out"
done
status=0
for deb in "$work"/first/out/*.deb; do
  other="$work/second-build/out/$(basename "$deb")"
  if cmp -s "$deb" "$other"; then
    echo "same: $(basename "$deb") sha256 $(sha256sum < "$deb" | cut -c1-16)"
  else
    echo "DIFFERENT: $(basename "$deb")"
    status=1
    for side in first second-build; do
      rm -rf "$work/x-$side" && dpkg-deb -R "$work/$side/out/$(basename "$deb")" "$work/x-$side"
    done
    diff -rq "$work/x-first" "$work/x-second-build" || true
  fi
done
exit $status
