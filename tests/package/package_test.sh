#!/usr/bin/env bash
# Builds the Debian package from the existing build, checks what it holds, installs it
# into a throw-away root with dpkg, runs the programs from there and removes it again.
#   package_test.sh SOURCE_DIR BUILD_DIR GUI(ON|OFF)
set -euo pipefail
source_dir=$1 build_dir=$2 gui=$3
export KV816_LOOPBACK_ONLY=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

deb=$(KV816_BUILD_DIR="$build_dir" "$source_dir/scripts/package" --no-build "$work/out" 2>"$work/package.log") ||
  { cat "$work/package.log" >&2; exit 1; }
echo "built $deb"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||' >"$work/contents"
expected=(
  usr/bin/kv816ctl usr/bin/kv816-sim
  usr/lib/udev/rules.d/60-kv816.rules
  usr/share/man/man1/kv816ctl.1.gz usr/share/man/man1/kv816-sim.1.gz
  usr/share/bash-completion/completions/kv816ctl
  usr/share/doc/kv816/copyright usr/share/doc/kv816/changelog.gz
)
if [ "$gui" = ON ]; then
  expected+=(
    usr/bin/kv816 usr/share/man/man1/kv816.1.gz
    usr/share/applications/kv816.desktop usr/share/metainfo/org.kv816.Control.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/kv816.svg
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/kv816.png")
  done
fi
for path in "${expected[@]}"; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done

# Dependencies come from the shared libraries the programs link, not from a fixed list.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libhidapi-hidraw0 libserialport0; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# Install into an empty root. Maintainer scripts run on this machine (no chroot) with
# DPKG_ROOT set; a udevadm that records its calls shows they leave this machine's udev
# alone.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$work/bin"
touch "$root/var/lib/dpkg/status"
printf '#!/bin/sh\necho "$@" >>%s/udevadm.calls\n' "$work" >"$work/bin/udevadm"
chmod +x "$work/bin/udevadm"
dpkg_root() {
  PATH="$work/bin:$PATH" dpkg --root="$root" --force-not-root --force-script-chrootless \
    --log=/dev/null "$@"
}
dpkg_root --force-depends -i "$deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; exit 1; }
[ -e "$work/udevadm.calls" ] && fail "postinst ran udevadm during a --root install: $(cat "$work/udevadm.calls")"

rule=$root/usr/lib/udev/rules.d/60-kv816.rules
grep -Eq '^SUBSYSTEM=="hidraw".*ATTRS\{idVendor\}=="4084".*ATTRS\{idProduct\}=="4357".*TAG\+="uaccess"' "$rule" ||
  fail "the udev rule does not give the desktop user the processor's hidraw node"
grep -q '0666' "$rule" && fail "the udev rule opens the device to every account"

programs=(kv816ctl kv816-sim)
[ "$gui" = ON ] && programs+=(kv816)
for program in "${programs[@]}"; do
  # kv816 must print its help without a display instead of starting its window.
  if ! env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$root/usr/bin/$program" --help >"$work/help" 2>&1; then
    fail "$program --help failed from the installed package: $(head -3 "$work/help")"
  elif ! grep -qi '^usage:' "$work/help"; then
    fail "$program --help printed no usage"
  fi
done

if command -v appstreamcli >/dev/null 2>&1 && [ "$gui" = ON ]; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.kv816.Control.metainfo.xml" \
    >"$work/appstream.log" 2>&1 || fail "appstreamcli: $(cat "$work/appstream.log")"
fi
if command -v lintian >/dev/null 2>&1; then
  lintian "$deb" >"$work/lintian.log" 2>/dev/null || true
  grep -q '^E:' "$work/lintian.log" && fail "lintian errors: $(grep '^E:' "$work/lintian.log")"
fi

dpkg_root -P kv816 >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; exit 1; }
left=$(find "$root" -path "$root/var" -prune -o -type f -print)
[ -z "$left" ] || fail "files left after removal: $left"

if [ "$failures" -gt 0 ]; then
  echo "$failures package check(s) failed" >&2
  exit 1
fi
echo "package checks passed"
