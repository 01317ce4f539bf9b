#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, validates the desktop entry and the
# metainfo it carries, and starts the unpacked program under Xvfb: it must still be running after
# its start-up (killed by the timeout, exit 124), not have crashed or quit.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null)
package="$(ls "$scratch"/out/*.deb)"
echo "package: $(basename "$package")"
dpkg-deb --info "$package" | grep -E 'Package|Depends' 
dpkg-deb -x "$package" "$scratch/root"

for path in usr/bin/mirelund usr/share/applications/example.mirelund.Mirelund.desktop \
            usr/share/metainfo/example.mirelund.Mirelund.metainfo.xml \
            usr/share/icons/hicolor/32x32/apps/example.mirelund.Mirelund.png; do
  [ -e "$scratch/root/$path" ] || { echo "missing from the package: $path"; exit 1; }
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$scratch/root/usr/share/applications/example.mirelund.Mirelund.desktop"
  echo "desktop entry valid"
else
  echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/example.mirelund.Mirelund.metainfo.xml"
else
  echo "appstreamcli not installed: skipped"
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
