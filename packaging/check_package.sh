#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, checks the icon at every size and that the
# programs carry no debug information, validates the desktop entry and the metainfo it carries, checks that
# the design file's type is registered (its glob, its icon, the desktop entry opening it), and starts
# the unpacked program under Xvfb: it must still be running after its start-up (killed by the timeout,
# exit 124), not have crashed or quit.
# Usage: check_package.sh BUILD_FOLDER SOURCE_FOLDER "ICON SIZES"
set -euo pipefail
build="$1"
icon_sizes="${3:-16 32 48 64 128 256}"
icons="usr/share/icons/hicolor"
app_id="org.mirelund.Mirelund"
mime_type="application/x-mirelund-design"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null)
package="$(ls "$scratch"/out/*.deb)"
echo "package: $(basename "$package")"
dpkg-deb --info "$package" | grep -E 'Package|Depends' 
dpkg-deb -x "$package" "$scratch/root"

for path in usr/bin/mirelund usr/share/applications/$app_id.desktop usr/share/metainfo/$app_id.metainfo.xml \
            usr/share/mime/packages/$app_id.xml $icons/scalable/apps/$app_id.svg; do
  [ -e "$scratch/root/$path" ] || { echo "missing from the package: $path"; exit 1; }
done

# Each PNG must hold the size its folder names, read from the PNG header (width and height at bytes 16 to 23).
for size in $icon_sizes; do
  png="$scratch/root/$icons/${size}x${size}/apps/$app_id.png"
  [ -e "$png" ] || { echo "missing from the package: ${png#"$scratch/root/"}"; exit 1; }
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || { echo "not a PNG: $png"; exit 1; }
  read -r width height < <(od -An -tu4 --endian=big -j 16 -N 8 "$png")
  if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
    echo "icon ${size}x${size} is ${width}x${height}"
    exit 1
  fi
done
svg="$scratch/root/$icons/scalable/apps/$app_id.svg"
grep -q '<svg' "$svg" || { echo "the scalable icon is no SVG"; exit 1; }
grep -q 'viewBox=' "$svg" || { echo "the scalable icon has no viewBox"; exit 1; }
# Nothing else under the icon theme: a stray or misnamed file would be an icon nobody asked for.
expected_icons=$(( $(wc -w <<<"$icon_sizes") + 1 ))
found_icons="$(find "$scratch/root/$icons" -type f | wc -l)"
[ "$found_icons" -eq "$expected_icons" ] || { echo "$found_icons icon files, expected $expected_icons"; exit 1; }
echo "icons: scalable and $icon_sizes px"

# Every program in the package is stripped: no .debug_* sections and no symbol table.
for program in "$scratch"/root/usr/bin/*; do
  sections="$(readelf -S --wide "$program")"  # read whole: grep -q in a pipe could cut readelf short
  if grep -qE '\.debug_|\.symtab' <<<"$sections"; then
    echo "$(basename "$program") still carries debug information or symbols"
    exit 1
  fi
  echo "$(basename "$program"): stripped, $(stat -c %s "$program") bytes"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$scratch/root/usr/share/applications/$app_id.desktop"
  echo "desktop entry valid"
else
  echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$app_id.metainfo.xml"
else
  echo "appstreamcli not installed: skipped"
fi

# The file type: the entry opens such files with the one it is given, and the type's icon is the program's.
desktop="$scratch/root/usr/share/applications/$app_id.desktop"
grep -qx "MimeType=$mime_type;" "$desktop" || { echo "the desktop entry does not open $mime_type"; exit 1; }
grep -qx 'Exec=mirelund %f' "$desktop" || { echo "the desktop entry does not pass the file to open"; exit 1; }
mime_xml="$scratch/root/usr/share/mime/packages/$app_id.xml"
grep -q "<icon name=\"$app_id\"/>" "$mime_xml" || { echo "the file type has not the program's icon"; exit 1; }
if command -v update-mime-database >/dev/null; then
  mime_root="$scratch/mime"
  mkdir -p "$mime_root/packages"
  cp "$mime_xml" "$mime_root/packages/"
  update-mime-database "$mime_root"
  grep -qx "$mime_type:\*.mirelund" "$mime_root/globs" || { echo "*.mirelund is not $mime_type"; exit 1; }
  echo "file type: $mime_type, *.mirelund"
else
  echo "update-mime-database not installed: file type skipped"
fi

if command -v xvfb-run >/dev/null; then
  set +e
  timeout 8 xvfb-run -a "$scratch/root/usr/bin/mirelund"
  status=$?
  set -e
  if [ "$status" -ne 124 ]; then
    echo "the unpacked program ended by itself with status $status"
    exit 1
  fi
  echo "the unpacked program started and kept running under Xvfb"
else
  echo "xvfb-run not installed: start-up skipped"
fi
