#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libicu-dev libfreetype-dev libfontconfig-dev
  libhunspell-dev hunspell-en-us hunspell-fr hunspell-de-de
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-dev libxml2-utils libsqlite3-dev gettext translate-toolkit nlohmann-json3-dev python3-jsonschema
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 gcc-mingw-w64-x86-64
  help2man desktop-file-utils shared-mime-info libglib2.0-bin appstream bash-completion dpkg-dev file
  fonts-wine fonts-liberation2 fonts-crosextra-carlito fonts-ipafont-gothic fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The XLIFF 1.2 and 2 schemas the export tests validate against. Debian ships the official
# files inside a PHP translation package; only the schema files are taken, nothing installed.
# The 2 schema imports xml.xsd from a folder of its own.
schemas="$(cd "$(dirname "$0")/.." && pwd)/tests/fixtures/xliff"
w3c="$schemas/informativeCopiesOf3rdPartySchemas/w3c"
if [ ! -s "$schemas/xliff-core-1.2-strict.xsd" ] || [ ! -s "$schemas/xml.xsd" ] ||
   [ ! -s "$schemas/xliff-core-2.0.xsd" ] || [ ! -s "$w3c/xml.xsd" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  work=$(mktemp -d)
  chmod 777 "$work"
  if ! (cd "$work" && apt-get download php-symfony-translation >/dev/null 2>&1); then
    $SUDO apt-get update
    (cd "$work" && apt-get download php-symfony-translation)
  fi
  dpkg -x "$work"/php-symfony-translation_*.deb "$work/x"
  found=$(dirname "$(find "$work/x" -name xliff-core-1.2-strict.xsd | head -n 1)")
  cp "$found/xliff-core-1.2-strict.xsd" "$found/xliff-core-2.0.xsd" "$found/xml.xsd" "$schemas/"
  mkdir -p "$w3c"
  cp "$found/xml.xsd" "$w3c/"
  rm -rf "$work"
fi
