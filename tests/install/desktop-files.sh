#!/usr/bin/env bash
# Desktop integration as installed: the menu entry validates and opens the project type, the
# type is recognised by its first characters whatever the file is called, the icon is there
# in every size, and the software-centre description validates.
#   desktop-files.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
prefix=$(install_moved "$1")
share=$prefix/share
id=org.tessalingvora.Tessalingvora
type=application/x-tessalingvora-project

desktop=$share/applications/$id.desktop
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop file does not validate"
fi
grep -qx "MimeType=$type;" "$desktop" || fail "desktop file does not open $type"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_program" ] || fail "desktop file starts $exec_program, which is not installed"

icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -s "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ "$(file -b "$png" | grep -o '[0-9]* x [0-9]*')" = "$size x $size" ] || fail "icon $png is not $size x $size"
done

# A database of this type alone, as update-mime-database builds it on the user's machine.
mime=$scratch/data/mime
mkdir -p "$mime"
cp -r "$share/mime/packages" "$mime/"
update-mime-database "$mime" 2>"$scratch/update.log" || fail "update-mime-database rejected the type: $(cat "$scratch/update.log")"
printf 'Tessalingvora File\0\3\0\0\0' >"$scratch/renamed-project"
printf 'Tessalingvora Fil' >"$scratch/short"
if command -v gio >/dev/null; then
  typeof() { XDG_DATA_DIRS=$scratch/data XDG_DATA_HOME=$scratch/none gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'; }
  [ "$(typeof "$scratch/renamed-project")" = "$type" ] || fail "a project without its extension is not recognised"
  [ "$(typeof "$scratch/short")" != "$type" ] || fail "a file lacking the last character is taken for a project"
else
  grep -qa "Tessalingvora File" "$mime/magic" || fail "the type's magic is not in the database"
fi
grep -q "^[0-9]*:$type:\*\.tvl$" "$mime/globs2" || fail "*.tvl is not in the database"

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo does not validate"
fi
echo "desktop integration OK"
