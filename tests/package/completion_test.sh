#!/usr/bin/env bash
# Bash completion of kv816ctl against the real program: the completions of a table of
# command lines, and every parameter name it offers must be one kv816ctl accepts.
#   completion_test.sh KV816CTL COMPLETION_FILE
set -euo pipefail
program=$1 completion=$2
export KV816_LOOPBACK_ONLY=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/config"
ln -s "$(realpath "$program")" "$work/bin/kv816ctl"
export PATH="$work/bin:$PATH" KV816_CONFIG_DIR="$work/config"
# shellcheck source=/dev/null
source "$completion"
failures=0

complete_line() {
  local line=$1
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _kv816ctl
  echo "${COMPREPLY[*]}"
}

# line | words that must be offered | a word that must not be
cases=(
  "kv816ctl |info get set wifi jib response|--lang"
  "kv816ctl --l|--lang --link --local-udp-port|info"
  "kv816ctl --link |usb net serial bt|info"
  "kv816ctl --link=se|serial|usb"
  "kv816ctl --timeout 5 s|set|5"
  "kv816ctl get |in1. in4. out1. out8.|in5."
  "kv816ctl get in1.p|in1.phase in1.peqbypass in1.peq1. in1.peq10.|in1.routing"
  "kv816ctl get in2.geq3|in2.geq3. in2.geq31.|in2.geq3.q"
  "kv816ctl get out3.|out3.routing out3.comp. out3.hpf. out3.peq1.|out3.geqbypass"
  "kv816ctl set out2.comp.r|out2.comp.ratio= out2.comp.release=|out2.comp.ratio"
  "kv816ctl wifi |show hotspot router mode|info"
  "kv816ctl wifi mode |hotspot router|show"
  "kv816ctl response o|out1 out8|in1"
  "kv816ctl response --|--from --svg --csv|--lang"
  "kv816ctl jib |show diff|info"
  "kv816ctl peq |export import|info"
  "kv816ctl peq import o|out1 out8|in1"
  "kv816ctl response --|--measurement --target --tilt --offset|--lang"
  "kv816ctl recall 1|1 10 12|2"
  "kv816ctl name 3 ||1"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r line wanted unwanted <<<"$entry"
  got=" $(complete_line "$line") "
  for word in $wanted; do
    [[ $got == *" $word "* ]] || { echo "FAIL: '$line' does not offer $word (got:$got)" >&2; failures=$((failures + 1)); }
  done
  [[ $got == *" $unwanted "* ]] && { echo "FAIL: '$line' offers $unwanted" >&2; failures=$((failures + 1)); }
done

# Every full name offered for an input and an output reads from the demo device.
names=()
for channel in in1 out1; do
  mapfile -t -O "${#names[@]}" names < <(_kv816ctl_functions "$channel")
done
if ! kv816ctl --demo get "${names[@]}" >"$work/get.log" 2>&1; then
  echo "FAIL: kv816ctl refuses a completed parameter name: $(grep -v ' = ' "$work/get.log" | head -3)" >&2
  failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures completion check(s) failed" >&2
  exit 1
fi
echo "completion checks passed (${#cases[@]} command lines, ${#names[@]} parameter names)"
