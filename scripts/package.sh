#!/usr/bin/env bash
# Makes the Debian package from build/ (set up and built first when needed), lists what it
# holds, and runs the programs it carries from an unpacked copy.
#   bash scripts/package.sh          then: sudo apt install ./build/tessalingvora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
(cd build && rm -f tessalingvora_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/tessalingvora_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
env -u DISPLAY -u WAYLAND_DISPLAY "$unpacked/usr/bin/tessalingvora" --version
"$unpacked/usr/bin/tvl" --version
echo "package: $deb"
