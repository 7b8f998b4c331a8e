#!/usr/bin/env bash
# kv816ctl.exe under Wine against this build's kv816-sim, over loopback TCP and UDP (net)
# or over a pseudo-terminal that Wine shows as a COM port (serial), or against kv816-sim.exe
# under Wine over loopback (net-windows-sim): a confirmed write, then a full read exported
# to a preset file that must hold what the Linux kv816ctl's export of the same device holds.
# Arguments: MODE kv816-sim kv816ctl kv816ctl.exe jib_same kv816-sim.exe
set -euo pipefail
mode=$1 sim=$2 ctl=$3 ctl_exe=$4 same=$5 sim_exe=$6
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
  "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q 'kv816-sim: ready' "$work/sim.out" && return 0
    sleep 0.1
  done
  cat "$work/sim.out"
  return 1
}

# The port kv816-sim printed for "tcp" or "udp" (a Windows program ends its lines in CR LF).
sim_port() { tr -d '\r' <"$work/sim.out" | sed -n "s/^kv816-sim: $1 127\.0\.0\.1:\([0-9]*\)$/\1/p"; }

case $mode in
net | net-windows-sim)
  if [ "$mode" = net ]; then
    start_sim "$sim" --tcp 127.0.0.1:0 --udp 127.0.0.1:0
  else
    start_sim wine "$sim_exe" --tcp 127.0.0.1:0 --udp 127.0.0.1:0
  fi
  linux=(--link net --net-address 127.0.0.1 --tcp-port "$(sim_port tcp)" --udp-port
    "$(sim_port udp)" --local-udp-port 0 --timeout 20)
  windows=("${linux[@]}")
  ;;
serial)
  start_sim "$sim" --pty "$work/pty"
  # Wine opens COMn through the link of that name in the prefix's dosdevices folder.
  port=COM$((100 + RANDOM % 150))
  com_link=$WINEPREFIX/dosdevices/${port,,}
  ln -s "$work/pty" "$com_link"
  linux=(--link serial --port "$work/pty" --timeout 20)
  windows=(--link serial --port "$port" --timeout 20)
  ;;
*)
  echo "usage: $0 net|serial|net-windows-sim SIM CTL CTL_EXE JIB_SAME SIM_EXE" >&2
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
