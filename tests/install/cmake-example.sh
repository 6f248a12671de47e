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
echo "CMake example OK"
