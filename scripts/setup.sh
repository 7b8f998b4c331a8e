#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures and
# builds into build/ incrementally. Sourced by ./run and ./test.
set -euo pipefail

KV816_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n
  libhidapi-dev libserialport-dev libasio-dev libcli11-dev
  nlohmann-json3-dev libwebsocketpp-dev liblo-dev libnlopt-dev libspdlog-dev libarchive-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-wqy-microhei
  dpkg-dev help2man librsvg2-bin appstream lintian
)

kv816_missing_packages() {
  local missing=()
  for p in "${KV816_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

kv816_install_packages() {
  local missing
  missing=$(kv816_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "These Debian packages are needed and missing:" >&2
    echo "  sudo apt-get install -y $missing" >&2
    echo "Run that line, then start this command again." >&2
    exit 1
  fi
  echo "Installing: $missing"
  apt-get update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

kv816_build() {
  local dir=${1:-build}
  shift || true
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@"
  fi
  cmake --build "$dir" -j"$(nproc)"
}
