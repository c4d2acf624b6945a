# Sourced by scripts/demo: checksums, the protected-location rules and file lists through
# SuiteDiag, on a few files made in the demo prefix.
demo_files="$WINEPREFIX/drive_c/DemoFiles"
mkdir -p "$demo_files/Tools"
printf '123456789' >"$demo_files/check.txt"
printf 'abc' >"$demo_files/abc.txt"
: >"$demo_files/empty.txt"
head -c 300000 /dev/zero | tr '\0' 'L' >"$demo_files/Tools/helper.dll"
printf 'WScript.Echo("hi")' >"$demo_files/Tools/script.js"

step "Checksums of files in C:\\DemoFiles (CRC-32, MD5, SHA-1)"
diag crc32 'C:\DemoFiles\check.txt' 'C:\DemoFiles\abc.txt' 'C:\DemoFiles\empty.txt'
diag crc32 --method mapped 'C:\DemoFiles\check.txt' 'C:\DemoFiles\Tools\helper.dll'
diag crc32 --method steps 'C:\DemoFiles\check.txt' 'C:\DemoFiles\Tools\helper.dll'
diag md5 'C:\DemoFiles\abc.txt' 'C:\DemoFiles\empty.txt'
diag sha1 'C:\DemoFiles\abc.txt' 'C:\DemoFiles\Tools\helper.dll'
diag sha1 'C:\DemoFiles\missing.txt' || echo "(exit code $?: the file cannot be read)"

step "Protected-location rules: IsPathUnprotected, IsFileDeletable, HasRiskyExtension"
diag protected 'C:\Windows\System32\ntdll.dll' 'C:\Temp\report.tmp' 'C:\Temp\tool.dll' \
    'D:\Photos\System Backup\a.jpg' 'C:\RECYCLER\S-1-5-21\Dc1.txt' 'C:\Docs\Macro.VSMACROS'
echo "(paths can also come from stdin, one a line:)"
printf 'C:\\DemoFiles\\Tools\\script.js\r\nC:\\Temp\\readme\r\n' | diag protected

step "File lists: CFileInfoArray::AddDir (size, attributes, path)"
diag list --recurse --folders 'C:\DemoFiles'
echo "(largest first, text files only:)"
diag list --order 3 'C:\DemoFiles' '*.txt'
