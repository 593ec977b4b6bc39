#!/usr/bin/env bash
# Installs the Debian 12 packages Tidemark needs to build, test and run
# (clang and libFuzzer for scripts/fuzz.sh), when any is missing. Needs root (or sudo) only when something must be installed.
set -euo pipefail

packages=(
  build-essential cmake clang-format
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  fonts-noto-cjk qt6-translations-l10n
  clang libfuzzer-14-dev
  # Tests only: libical reads the exported iCalendar files back.
  pkg-config libical-dev
)
# Manual pages, the checks of the desktop metadata, and the Debian package
packages+=(scdoc groff-base appstream desktop-file-utils file dpkg-dev)
if [ "${1:-}" = "--with-bench" ]; then
  packages+=(libbenchmark-dev hyperfine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
