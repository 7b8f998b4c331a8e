#!/usr/bin/env bash
# The package's postinst against a fake udevadm, ischroot, udev socket and USB device
# list: it touches udev only on the system it is installed on, and asks for a re-plug only
# when the processor is connected.
#   postinst_test.sh POSTINST
set -euo pipefail
postinst=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/sys/1-1" "$work/run"
printf '#!/bin/sh\necho "udevadm $*"\n' >"$work/bin/udevadm"
# shellcheck disable=SC2016 # expanded by the fake, not here
printf '#!/bin/sh\nexit "$ISCHROOT_STATUS"\n' >"$work/bin/ischroot"
chmod +x "$work/bin/udevadm" "$work/bin/ischroot"
perl -MIO::Socket::UNIX -e 'IO::Socket::UNIX->new(Local => $ARGV[0], Listen => 1) or die "$!\n"' \
  "$work/run/control"
sed -e "s#/sys/bus/usb/devices#$work/sys#" -e "s#/run/udev/control#$work/run/control#" \
  "$postinst" >"$work/postinst"

# action | DPKG_ROOT | ischroot status (1: not a chroot) | udev socket | device | expected
cases=(
  "configure||1|yes|yes|reload trigger replug"
  "configure||1|yes|no|reload trigger"
  "configure|/tmp/root|1|yes|yes|"
  "configure||0|yes|yes|"
  "configure||2|yes|yes|"
  "configure||1|no|yes|"
  "abort-upgrade||1|yes|yes|"
)
failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r action root chroot socket device expected <<<"$entry"
  rm -f "$work/sys/1-1/idVendor" "$work/sys/1-1/idProduct"
  if [ "$device" = yes ]; then
    echo 4084 >"$work/sys/1-1/idVendor"
    echo 4357 >"$work/sys/1-1/idProduct"
  fi
  control=$work/run/control
  [ "$socket" = no ] && mv "$control" "$control.off"
  output=$(PATH="$work/bin:$PATH" DPKG_ROOT="$root" ISCHROOT_STATUS="$chroot" sh "$work/postinst" "$action") ||
    { echo "FAIL: [$entry] postinst failed" >&2; failures=$((failures + 1)); }
  [ "$socket" = no ] && mv "$control.off" "$control"
  got=""
  [[ $output == *"--reload-rules"* ]] && got+="reload "
  [[ $output == *"trigger --subsystem-match=hidraw"* ]] && got+="trigger "
  [[ $output == *"plug it in again"* ]] && got+="replug "
  if [ "${got% }" != "$expected" ]; then
    echo "FAIL: [$entry] did '${got% }', expected '$expected'" >&2
    failures=$((failures + 1))
  fi
done
if [ "$failures" -gt 0 ]; then
  echo "$failures postinst case(s) failed" >&2
  exit 1
fi
echo "postinst checks passed (${#cases[@]} cases)"
