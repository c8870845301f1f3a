#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian machine. Safe to run again:
# it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format valgrind
  libclang-rt-dev  # clang's fuzzer and sanitizer runtimes, for the fuzz preset
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
  python3-matplotlib
  octave octave-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64
  g++-aarch64-linux-gnu qemu-user  # the aarch64 build, its tests under qemu-user
  # The bare-metal Cortex-M7 build and its firmware under qemu-system-arm.
  gcc-arm-none-eabi libnewlib-arm-none-eabi libstdc++-arm-none-eabi-newlib qemu-system-arm
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

# The Windows build's tests run under wine; its prefix takes a while to create,
# so it is made once here rather than by the first test.
"$(dirname "$0")/../cmake/toolchains/wine-run.sh" --prepare
