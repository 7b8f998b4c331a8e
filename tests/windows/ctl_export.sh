#!/usr/bin/env bash
# kv816ctl.exe under Wine against this build's kv816-sim, over loopback TCP and UDP (net)
# or over a pseudo-terminal that Wine shows as a COM port (serial): a confirmed write, then
# a full read exported to a preset file that must hold what the Linux kv816ctl's export of
# the same device holds. Arguments: net|serial, kv816-sim, kv816ctl, kv816ctl.exe, jib_same.
set -euo pipefail
mode=$1 sim=$2 ctl=$3 ctl_exe=$4 same=$5
export KV816_LOOPBACK_ONLY=1
work=$(mktemp -d)
sim_pid=
com_link=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  [ -n "$com_link" ] && rm -f "$com_link"
  rm -rf "$work"
}
trap cleanup EXIT
# Each program keeps its settings and logs in the scratch folder.
export KV816_CONFIG_DIR=$work

start_sim() {
  "$sim" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q 'kv816-sim: ready' "$work/sim.out" && return 0
    sleep 0.1
  done
  cat "$work/sim.out"
  return 1
}

case $mode in
net)
  start_sim --tcp 127.0.0.1:0 --udp 127.0.0.1:0
  tcp=$(sed -n 's/^kv816-sim: tcp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim.out")
  udp=$(sed -n 's/^kv816-sim: udp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim.out")
  linux=(--link net --net-address 127.0.0.1 --tcp-port "$tcp" --udp-port "$udp"
    --local-udp-port 0 --timeout 20)
  windows=("${linux[@]}")
  ;;
serial)
  start_sim --pty "$work/pty"
  # Wine opens COMn through the link of that name in the prefix's dosdevices folder.
  port=COM$((100 + RANDOM % 150))
  com_link=$WINEPREFIX/dosdevices/${port,,}
  ln -s "$work/pty" "$com_link"
  linux=(--link serial --port "$work/pty" --timeout 20)
  windows=(--link serial --port "$port" --timeout 20)
  ;;
*)
  echo "usage: $0 net|serial SIM CTL CTL_EXE JIB_SAME" >&2
  exit 2
  ;;
esac

# A Windows program takes a drive-letter path; Wine's Z: is the Linux root.
windows_path() { echo "Z:${1//\//\\}"; }

wine "$ctl_exe" "${windows[@]}" set out2.peq3.gain=-3.5dB in1.mute=on
"$ctl" "${linux[@]}" get out2.peq3.gain in1.mute | tee "$work/get.out"
grep -q -- '-3.5dB' "$work/get.out"
grep -q 'in1.mute = on' "$work/get.out"

wine "$ctl_exe" "${windows[@]}" export "$(windows_path "$work/windows.jib")"
"$ctl" "${linux[@]}" export "$work/linux.jib"
"$same" "$work/windows.jib" "$work/linux.jib"
echo "$mode: the same table in both exports"
