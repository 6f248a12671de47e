# Helpers shared by the install checks: a scratch folder removed on exit, failures that say why,
# and an installed copy of the build moved away from where it was installed.
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Installs build folder $1 under a DESTDIR and a prefix of its own, then moves the tree to
# $scratch/installed: a program that found its files by the prefix it was built for would not.
install_moved() {
  DESTDIR="$scratch/destdir" cmake --install "$1" --prefix /opt/tessalingvora >/dev/null
  mv "$scratch/destdir/opt/tessalingvora" "$scratch/installed"
  echo "$scratch/installed"
}
