# Sourced by scripts/demo: the language file, size texts and file versions through SuiteDiag.

step "The language file beside suitecore.dll, read as the tools read it"
# A short sample for the reads below; the installed file comes back after them, because every
# later window reads its captions from it and a missing one stops a tool with an error box.
cp "$install_dir/QMN.ini" "$work/QMN.ini.installed"
printf '[QMN]\r\nIDS_OK=OK\r\nIDS_CANCEL="  Cancel  "\r\nIDS_CHK_MSGBOX=Do not show\\nthis message again\r\n' \
    >"$install_dir/QMN.ini"
sed 's/^/    /' "$install_dir/QMN.ini" | tr -d '\r'
diag ini QMN.ini QMN IDS_OK
diag ini QMN.ini QMN IDS_CANCEL
diag ini QMN.ini QMN IDS_CHK_MSGBOX
diag ini 'C:\Program Files\Lumasweep\QMN.ini' QMN IDS_MISSING || echo "(exit code $?: no such text)"
cp "$work/QMN.ini.installed" "$install_dir/QMN.ini"

step "Sizes as the tools show them (steps at 1204 bytes, 1204 KB and 1024 MB)"
for bytes in 1203 1204 1232896 1073741824; do
    diag format-size "$bytes"
done

step "File versions, as the update check reads them"
diag file-version 'C:\Program Files\Lumasweep\suitecore.dll'
diag file-version 'C:\Program Files\Lumasweep\QMN.ini' || echo "(exit code $?: no version block)"
