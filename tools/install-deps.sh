#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the project.
# `install-deps.sh fuzz` also installs what the fuzz targets need (clang with libFuzzer and the
# symbolizer of its sanitizer reports); the tests never need it.
set -euo pipefail

packages=(cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libicu-dev libexpat1-dev)
if [ "${1:-}" = "fuzz" ]; then packages+=(clang-14 libclang-rt-14-dev llvm-14); fi
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
