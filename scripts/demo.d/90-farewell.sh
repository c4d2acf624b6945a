# Sourced by scripts/demo: the last step of the suite's life, the uninstaller's survey. Farewell
# runs on a display (cmake/wine-run-display: an Xvfb and a prefix of its own beside the demo's)
# and a driver clicks through it with the mouse, twice: the answer, Continue and No Uninstall
# keep the suite (1); Cancel lets the uninstall go on (0). Each run prints the value the
# uninstaller would read. Pictures of both pages stay in build/<preset>/demo.
# shellcheck shell=bash
farewell_dir="$root/build/$preset/demo"
mkdir -p "$farewell_dir"
rm -f "$farewell_dir"/farewell-page*.bmp

step "Farewell, the before-uninstall survey, clicked through on a display"
# Wine sees the Unix root as drive Z:.
"$root/cmake/wine-run-display" "$work/prefix" "$bin/farewell_drive.exe" \
    "Z:${install_dir//\//\\}\\Farewell.exe" "Z:${farewell_dir//\//\\}" | tr -d '\r'
rm -f "$farewell_dir/index.txt"
echo "Pictures of both pages: $farewell_dir/farewell-page1.bmp, farewell-page3.bmp"
