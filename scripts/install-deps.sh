#!/usr/bin/env bash
# Installs the Debian packages that building and testing Talun need, when
# missing (gaviotatb: the 3-man tablebase files of the compression tests).
set -euo pipefail
pkgs=(g++ cmake ninja-build python3 googletest libgtest-dev zlib1g-dev liblzf-dev liblzma-dev gaviotatb)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
