# Sourced by scripts/demo: SuiteCore's panel painters drawn into a picture that outlives the
# throwaway prefix (variables root, preset; functions step, diag).

paint_dir="$root/build/$preset/demo"
mkdir -p "$paint_dir"
step "Panel painters: SuiteDiag paint header-table into $paint_dir"
diag paint header-table "$(winepath -w "$paint_dir/header-table.bmp")"
echo "Written: $paint_dir/header-table.bmp"

step "The HTML renderer: the height of a message box's text at its width of 351"
diag html-height 351 '<font face="tahoma" size=9pt>The scan found 12 items that slow down your computer and 3 items that put your privacy at risk. Fix them now?<font>'
