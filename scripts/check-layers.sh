#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it. The order is the TVL_LAYERS list in
# CMakeLists.txt, lowest first. The one loop allowed: the module's resource table and its
# resource types name the format classes they create.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"  # a tree to check; the repository by default
read -r -a layers <<<"$(sed -n 's/^set(TVL_LAYERS \(.*\))$/\1/p' "$root/CMakeLists.txt")"
[ ${#layers[@]} -gt 0 ] || { echo "check-layers: no TVL_LAYERS in CMakeLists.txt" >&2; exit 2; }
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
allowed_loop='^src/resmodel/(ResTable\.(h|cpp)|ResourceType\.cpp):.*"formats/'

bad=0
cd "$root"
while IFS= read -r line; do
  file=${line%%:*}
  from=${file#src/}; from=${from%%/*}
  to=$(sed -n 's/.*#include "\([a-z]*\)\/.*/\1/p' <<<"$line")
  [ -n "${rank[$from]:-}" ] && [ -n "${rank[$to]:-}" ] || continue
  if [ "${rank[$to]}" -gt "${rank[$from]}" ] && ! [[ $line =~ $allowed_loop ]]; then
    echo "upward include: $line"
    bad=1
  fi
done < <(grep -rnE '^#include "[a-z]+/' src --include='*.cpp' --include='*.h')
# Files directly in src/ (the program's entry) sit above every layer.
[ $bad -eq 0 ] && echo "layers: ${layers[*]}: no upward include"
exit $bad
