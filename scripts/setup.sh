#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine. Safe to run
# again: it installs only what is missing. Installing takes root: run it as
# root, or as a user who may use sudo; when nothing is missing it needs neither.
# It changes nothing but the installed packages.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format valgrind git
  libclang-rt-dev  # clang's fuzzer and sanitizer runtimes, for the fuzz preset
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
  python3-matplotlib
  gcovr  # the coverage report (scripts/coverage.sh)
  clang-tidy cppcheck  # scripts/static-analysis.sh
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
  # sudo clears the environment, so the frontend setting goes through env.
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "setup: these packages are missing: ${missing[*]}" >&2
      echo "setup: installing them needs root, and sudo is not installed:" \
        "run scripts/setup.sh as root (or install them as root)" >&2
      exit 1
    fi
    as_root=(sudo)
  fi
  echo "setup: installing ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"
fi
