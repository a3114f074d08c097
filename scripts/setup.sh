#!/usr/bin/env bash
# Installs every Debian package Vantrel needs to build, run and test.
# Quick when everything is present already: it only calls apt-get for
# packages that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  ffmpeg libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libswresample-dev
  xvfb xauth x11-apps xdotool imagemagick fonts-dejavu-core
  dbus-daemon dbus-bin desktop-file-utils dpkg-dev
  strace dosfstools fusefat
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
