#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed program
# once, offscreen, with a home of its own.
# usage: install_smoke.sh <cmake> <build-dir> <work-dir>
set -euo pipefail
cmake=$1 build=$2 work=$3
rm -rf "$work"
mkdir -p "$work/home"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

missing=0
for f in bin/varnek \
         share/varnek/help/varnek.qch share/varnek/help/varnek.qhc share/varnek/varnek.lcf \
         share/applications/org.q9zzv.varnek.desktop \
         share/metainfo/org.q9zzv.varnek.metainfo.xml \
         share/icons/hicolor/scalable/apps/varnek.svg \
         share/icons/hicolor/48x48/apps/varnek.png \
         share/icons/hicolor/64x64/apps/varnek.png \
         share/icons/hicolor/128x128/apps/varnek.png; do
  if [ ! -f "$prefix/$f" ]; then
    echo "not installed: $f"
    missing=1
  fi
done
if ! compgen -G "$prefix/lib*/libpskmodem.so*" >/dev/null && ! compgen -G "$prefix/lib/*/libpskmodem.so*" >/dev/null; then
  echo "not installed: libpskmodem.so"
  missing=1
fi
[ "$missing" -eq 0 ] || exit 1

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_RUNTIME_DIR=$work/home/run QT_QPA_PLATFORM=offscreen
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# The installed program must find its library without the build tree, and
# still once the whole prefix has been moved elsewhere.
start() {
  local at=$1
  if ldd "$at/bin/varnek" | grep -q 'not found'; then
    ldd "$at/bin/varnek"
    exit 1
  fi
  # It runs until it is closed: still running after a few seconds is a pass.
  set +e
  timeout 8 "$at/bin/varnek" >"$work/run.log" 2>&1
  local rc=$?
  set -e
  if [ "$rc" -ne 124 ]; then
    echo "the program installed in $at ended with code $rc:"
    cat "$work/run.log"
    exit 1
  fi
}
start "$prefix"
mv "$prefix" "$work/moved"
start "$work/moved"
echo "installed into $prefix, ran there and after moving it"
