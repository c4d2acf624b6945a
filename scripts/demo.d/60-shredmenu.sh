# ShredMenu: registered the way the installer does it, then driven the way Explorer does it.
# A stand-in plays the suite's secure-encrypt program and records what it received.

step "Registering ShredMenu.dll, the Explorer context-menu extension"
cp "$bin/ShredMenu.dll" "$install_dir/"
echo '> regsvr32 /s "C:\Program Files\Lumasweep\ShredMenu.dll"'
wine regsvr32 /s 'C:\Program Files\Lumasweep\ShredMenu.dll'
echo "exit code $?"
for key in 'HKCR\CLSID\{D23C3BA7-6DC3-4DDF-9BDF-12599E852A40}\InprocServer32' \
           'HKCR\*\ShellEx\ContextMenuHandlers\SecureExt' \
           'HKCR\Drive\ShellEx\ContextMenuHandlers\SecureExt'; do
    wine reg query "$key" | tr -d '\r' | sed '/^$/d'
done
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved' \
    /v '{D23C3BA7-6DC3-4DDF-9BDF-12599E852A40}' | tr -d '\r' | sed '/^$/d'

step "The suite's installation folder, with stand-ins for the secure-delete and secure-encrypt programs"
cp "$bin/shredmenu_standin.exe" "$install_dir/ShredTool.exe"
cp "$bin/shredmenu_standin.exe" "$install_dir/SealTool.exe"
wine reg add 'HKCU\Software\Orvane\QMN3' /v InstalledPath /t REG_SZ /d 'C:\Program Files\Lumasweep' /f \
    | tr -d '\r'
wine reg query 'HKCU\Software\Orvane\QMN3' /v InstalledPath | tr -d '\r' | sed '/^$/d'

demo_docs="$WINEPREFIX/drive_c/users/Public/Documents/Lumasweep demo"
mkdir -p "$demo_docs/holiday photos"
echo "quarterly figures" >"$demo_docs/report.txt"
driver="$WINEPREFIX/drive_c/shredmenu_driver.exe"
cp "$bin/shredmenu_driver.exe" "$driver"
shredmenu() {
    printf '> shredmenu_driver %s\n' "$*"
    wine 'C:\shredmenu_driver.exe' "$@" | tr -d '\r'
}
sample1='C:\users\Public\Documents\Lumasweep demo\report.txt'
sample2='C:\users\Public\Documents\Lumasweep demo\holiday photos'

# Waits for the stand-in to record its start, and shows how it was started.
show_sealtool_start() {
    for _ in $(seq 1 100); do
        [ -f "$install_dir/SealTool.exe.cmdline" ] && break
        sleep 0.1
    done
    echo "SealTool.exe was started as:"
    cat "$install_dir/SealTool.exe.cmdline"
    echo
}

step "Right-clicking a file and a folder, and then drive C:"
shredmenu menu "$sample1" "$sample2"
shredmenu menu 'C:\'

step "Secure Encrypt: the handler starts SealTool.exe at once with the selection file"
shredmenu invoke 1 "$sample1" "$sample2"
show_sealtool_start
echo "The selection file it received ($(stat -c %s "$install_dir/SealTool.exe.selection") bytes):"
od -A x -t x1 "$install_dir/SealTool.exe.selection" | head -8
python3 - "$install_dir/SealTool.exe.selection" <<'EOF'
import struct
import sys

data = open(sys.argv[1], 'rb').read()
pos = 0

def take(fmt):
    global pos
    value = struct.unpack_from('<' + fmt, data, pos)[0]
    pos += struct.calcsize('<' + fmt)
    return value

count = take('H')
if count == 0xFFFF:
    count = take('I')
print(f'{count} paths:')
for _ in range(count):
    assert take('B') == 0xFF and take('H') == 0xFFFE, 'not a wide string'
    length = take('B')
    if length == 0xFF:
        length = take('H')
    print('  ' + data[pos:pos + 2 * length].decode('utf-16-le'))
    pos += 2 * length
EOF

cp "$install_dir/SealTool.exe.selection" "$work/selection-32"
rm -f "$install_dir"/*.cmdline "$install_dir"/*.selection

# The 64-bit build: Explorer on 64-bit Windows loads only 64-bit handlers. Registered beside the
# 32-bit build, it takes the class key of the 64-bit view (HKCR\CLSID; the 32-bit build's is
# under Wow6432Node) and the type library's "win64" key; the AppID, the ProgIDs, the handler
# keys and the approval are shared by both views, and both builds write the same values there.
# "wine reg" is the 32-bit reg.exe: /reg:64 reads the 64-bit view.
step "Registering ShredMenu64.dll, the same handler built for 64-bit Explorer, beside ShredMenu.dll"
cp "$bin64/ShredMenu64.dll" "$install_dir/"
x86_64-w64-mingw32-objdump -f "$install_dir/ShredMenu64.dll" | sed -n 2,3p
echo '> regsvr32 /s "C:\Program Files\Lumasweep\ShredMenu64.dll"'
wine regsvr32 /s 'C:\Program Files\Lumasweep\ShredMenu64.dll'
echo "exit code $?"
for view in 64 32; do
    echo "> reg query HKCR\\CLSID\\{D23C3BA7-...}\\InprocServer32 /reg:$view"
    wine reg query 'HKCR\CLSID\{D23C3BA7-6DC3-4DDF-9BDF-12599E852A40}\InprocServer32' /ve "/reg:$view" \
        | tr -d '\r' | sed '/^$/d'
done
wine reg query 'HKCR\TypeLib\{2A03A149-3CD3-429D-B4A4-28D9D2974874}\1.0\0' /s | tr -d '\r' | sed '/^$/d'

cp "$bin64/shredmenu_driver.exe" "$WINEPREFIX/drive_c/shredmenu_driver64.exe"
shredmenu64() {
    printf '> shredmenu_driver (64-bit) %s\n' "$*"
    wine 'C:\shredmenu_driver64.exe' "$@" | tr -d '\r'
}

step "The same right-clicks in a 64-bit program, which loads ShredMenu64.dll"
shredmenu64 menu "$sample1" "$sample2"
shredmenu64 menu 'C:\'

step "Secure Encrypt from the 64-bit handler: the same 32-bit SealTool.exe, the same selection file"
shredmenu64 invoke 1 "$sample1" "$sample2"
show_sealtool_start
if cmp -s "$work/selection-32" "$install_dir/SealTool.exe.selection"; then
    echo "The selection file is byte for byte the one the 32-bit handler wrote ($(stat -c %s "$work/selection-32") bytes)."
else
    echo "The selection files of the two builds differ:"
    cmp "$work/selection-32" "$install_dir/SealTool.exe.selection" || true
fi

# Either build's unregistration also removes the keys the two share: an uninstaller removes both.
for dll in ShredMenu64.dll ShredMenu.dll; do
    echo "> regsvr32 /s /u \"C:\\Program Files\\Lumasweep\\$dll\""
    wine regsvr32 /s /u "C:\\Program Files\\Lumasweep\\$dll"
    echo "exit code $?"
done
