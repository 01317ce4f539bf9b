#!/usr/bin/env bash
# `mirelund --export-report OUT.pdf FILE` with no display: a design saved by mirelund-design comes back
# as a report naming its parts; a bad file gives status 2 and one line naming it, and no report.
set -euo pipefail
mirelund="$1" design="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$design" --stage inverting --rin 47k --gain 40 --part "R1=270k+8.2k" --save "$scratch/stage.mirelund" >/dev/null
"$mirelund" --export-report "$scratch/stage.pdf" "$scratch/stage.mirelund"
text="$(pdftotext "$scratch/stage.pdf" -)"
for expected in "Inverting stage" "Rin" "270k+8.2k" "R1a" "R1b" "Bill of materials" "Output noise" "Overload margin" ".end"; do
  grep -qF -- "$expected" <<<"$text" || { echo "the report lacks \"$expected\""; exit 1; }
done
printf '{"format": "mirelund-design", "version": 2}' >"$scratch/newer.mirelund"
for bad in "$scratch/newer.mirelund" "$scratch/missing.mirelund"; do
  status=0
  "$mirelund" --export-report "$scratch/bad.pdf" "$bad" 2>"$scratch/err" || status=$?
  [ "$status" -eq 2 ] || { echo "status $status for $bad"; exit 1; }
  grep -v '^QStandardPaths' "$scratch/err" | grep -qF "$bad" || { echo "the message does not name $bad"; cat "$scratch/err"; exit 1; }
  [ ! -e "$scratch/bad.pdf" ] || { echo "a report was written for $bad"; exit 1; }
done
echo "export report: written, and refused for bad files"
