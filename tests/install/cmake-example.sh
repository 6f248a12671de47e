#!/usr/bin/env bash
# The CMake package as installed: the example Windows program cross-built with mingw-w64 gets
# its French and German executables, rebuilt when the project file or the program changes and
# only then.
#   cmake-example.sh SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/common.sh"
src=$1
if ! command -v x86_64-w64-mingw32-gcc >/dev/null; then
  echo "the mingw-w64 C compiler is not installed: nothing to check"
  exit 0
fi
prefix=$(install_moved "$2")
project=$scratch/hello
cp -r "$src/examples/cmake" "$project"
# A second target named otherwise, taking the translations of the project's module by name.
cat >>"$project/CMakeLists.txt" <<'CMAKE'
add_executable(second WIN32 hello.c hello.rc)
set_target_properties(second PROPERTIES OUTPUT_NAME greeter)
tessalingvora_localize(TARGET second PROJECT Hello.tvl MODULE hello.exe LANGUAGES DEU
                       OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/translated)
CMAKE
out=$scratch/hello-build
cmake -S "$project" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$project/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" >"$scratch/configure.log" || fail "configure failed: $(cat "$scratch/configure.log")"

build() { cmake --build "$out" >"$scratch/build.log" 2>&1 || fail "build failed: $(cat "$scratch/build.log")"; }
# The localized executables written since the marker was touched.
rebuilt() { (cd "$out" && find . -maxdepth 1 -name 'hello???.exe' -newer "$scratch/marker" | sort | tr '\n' ' '); }
mark() { touch "$scratch/marker"; sleep 0.05; }

build
for pair in "helloFRA:Au revoir" "helloDEU:Auf Wiedersehen" "translated/greeterDEU:Auf Wiedersehen"; do
  exe=$out/${pair%%:*}.exe
  [ -s "$exe" ] || fail "no $exe"
  x86_64-w64-mingw32-windres -i "$exe" -O rc | grep -q "${pair#*:}" || fail "$exe does not carry '${pair#*:}'"
done

mark
build
[ -z "$(rebuilt)" ] || fail "nothing changed, yet $(rebuilt) were rebuilt"
touch "$project/Hello.tvl"
build
[ "$(rebuilt)" = "./helloDEU.exe ./helloFRA.exe " ] || fail "after the project file changed, rebuilt: '$(rebuilt)'"
mark
touch "$project/hello.c"
build
[ "$(rebuilt)" = "./helloDEU.exe ./helloFRA.exe " ] || fail "after the program changed, rebuilt: '$(rebuilt)'"
# The example's program with another call of the function, configured in $scratch/variant.
configure_variant() {
  local call=$1 dir=$scratch/variant
  rm -rf "$dir" && mkdir "$dir"
  cp "$project/hello.c" "$project/hello.rc" "$project/resource.h" "$project/Hello.tvl" "$dir/"
  [ -n "${2-}" ] && cp "$2" "$dir/"
  printf 'cmake_minimum_required(VERSION 3.20)\nproject(M LANGUAGES C RC)\n%s\n%s\n%s\n' \
    'find_package(Tessalingvora REQUIRED NO_CMAKE_FIND_ROOT_PATH)' 'add_executable(hello WIN32 hello.c hello.rc)' \
    "$call" >"$dir/CMakeLists.txt"
  cmake -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$project/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$prefix" >"$dir.log" 2>&1
}

# A module that builds satellite DLLs: the DLL is made from the template the installed tree carries.
tvl=$prefix/bin/tvl
(cd "$scratch" && "$tvl" new Satellite.tvl --source-lang ENU >/dev/null &&
  "$tvl" insert Satellite.tvl "$out/hello.exe" --satellite --lang FRA >/dev/null) || fail "cannot make a satellite project"
configure_variant "tessalingvora_localize(TARGET hello PROJECT Satellite.tvl LANGUAGES FRA SATELLITE)" "$scratch/Satellite.tvl" ||
  fail "satellite project not configured: $(cat "$scratch/variant.log")"
cmake --build "$scratch/variant/build" >"$scratch/variant.log" 2>&1 || fail "satellite build failed: $(cat "$scratch/variant.log")"
file -b "$scratch/variant/build/helloFRA.dll" | grep -q "(DLL)" || fail "no satellite DLL built"

# Mistakes are told when configuring, not found in the built files.
configure_fails() {
  if configure_variant "$1" "${3-}"; then fail "configured despite: $1"; fi
  tr -s ' \n' ' ' <"$scratch/variant.log" | grep -qF "$2" || fail "'$1' did not say '$2': $(cat "$scratch/variant.log")"
}
configure_fails "tessalingvora_localize(TARGET hello PROJECT Satellite.tvl LANGUAGES FRA)" \
  "hello.exe builds satellite DLLs" "$scratch/Satellite.tvl"
configure_fails "tessalingvora_localize(TARGET hello PROJECT Hello.tvl LANGUAGES ITA)" \
  "Incorrect language spec"
configure_fails "tessalingvora_localize(TARGET hello PROJECT Hello.tvl LANGUAGES *)" \
  "* names more than one language"
configure_fails "tessalingvora_localize(TARGET hello PROJECT Hello.tvl LANGUAGES FRA SATELLITE)" \
  "hello.exe builds full copies"
echo "CMake example OK"
