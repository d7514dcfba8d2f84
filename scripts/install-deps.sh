#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: does nothing when every package is already there.
# Extra package names given as arguments (for the benchmarks and pictures) are installed too.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  clang libclang-rt-14-dev  # libFuzzer and the sanitizer runtimes of the fuzz build
  qt6-base-dev libqt6sql6-sqlite
  qt6-wayland  # the recorder's window on a Wayland desktop
  libical-dev  # the recurrence rules of series
  libpulse-dev libavformat-dev libavcodec-dev libavutil-dev libswresample-dev  # the recorder
  pulseaudio pulseaudio-utils sox libsox-fmt-pulse libsox-fmt-mp3 ffmpeg  # the recorder's tests
  icecast2  # a private stream server for the recorder's stream tests
  dbus-daemon  # a private bus for the tests of the desktop services
  libx11-dev libxtst-dev
  sqlite3
  tzdata  # the zones the due check is tested in
  xvfb xauth x11-utils
  fonts-noto-cjk
)

packages+=("$@")

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
