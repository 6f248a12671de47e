#!/usr/bin/env bash
# The installed programs run from their own tree: version, help without a display, man pages,
# a batch build of the example, and a satellite build that needs the template in share/.
#   installed-tree.sh SOURCE_DIR BUILD_DIR VERSION
source "$(dirname "$0")/common.sh"
src=$1 build=$2 version=$3
prefix=$(install_moved "$build")

for f in bin/tessalingvora bin/tvl bin/tvl-dump share/tessalingvora/Languages.dat share/tessalingvora/Satellite.dll; do
  [ -s "$prefix/$f" ] || fail "$f not installed"
done
for page in tessalingvora tvl tvl-dump; do
  zcat "$prefix/share/man/man1/$page.1.gz" | grep -q '^\.SH NAME' || fail "no man page for $page"
done

# Info requests are answered without a display or a window system plugin.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for program in tessalingvora tvl tvl-dump; do
  out=$("${nodisplay[@]}" "$prefix/bin/$program" --version) || fail "$program --version failed"
  [[ $out == *"$version"* ]] || fail "$program --version printed '$out'"
  "${nodisplay[@]}" "$prefix/bin/$program" --help | grep -qi usage || fail "$program --help printed no usage"
done

work=$scratch/work
mkdir "$work"
cp "$src/examples/Example.tvl" "$src/examples/Sample.exe" "$work/"
(cd "$work" && "${nodisplay[@]}" "$prefix/bin/tessalingvora" Example.tvl /buildall /logfile:build.log) ||
  fail "batch build of the example failed: $(cat "$work/build.log")"
for target in SampleFRA.exe SampleDEU.exe; do
  [ -s "$work/out/$target" ] || fail "batch build wrote no $target"
done

# A satellite DLL is made from the template the installed tree carries.
tvl=$prefix/bin/tvl
(cd "$work" && "$tvl" new Satellite.tvl --source-lang ENU && "$tvl" insert Satellite.tvl Sample.exe --satellite --lang FRA &&
  "$tvl" build Satellite.tvl) || fail "satellite build failed"
[ -s "$work/SampleFRA.dll" ] || fail "no satellite DLL written"
mv "$prefix/share/tessalingvora/Satellite.dll" "$scratch/"
rm "$work/SampleFRA.dll"
if (cd "$work" && "$tvl" build Satellite.tvl 2>/dev/null); then
  fail "satellite build succeeded without the installed template"
fi
echo "installed tree OK"
