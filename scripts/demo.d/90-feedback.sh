# Feedback through SuiteDiag, uploaded to the stand-in Network.dll (sourced by scripts/demo).

step "Feedback: the document the form sends, uploaded through the stand-in Network.dll"
cp "$bin/Network.dll" "$install_dir/"
feedback_dir="$WINEPREFIX/drive_c/LumasweepDemo/Feedback"
mkdir -p "$feedback_dir"
# Wine hands the Unix environment to the programs it runs.
export NETWORK_STANDIN_LOG='C:\LumasweepDemo\Feedback\uploads.log'
diag feedback --list-tools | head -n 5
echo "..."
diag feedback --email 'user@example.com' --type 1 --tool 0 --tool 8 --publish --send \
    'The disk cleaner found 2 GB <in minutes> & the registry cleaner fixed my start-up.' | tee "$feedback_dir/sent.txt"
unset NETWORK_STANDIN_LOG

echo "The stand-in recorded:"
IFS=$'\t' read -r file payload thread <"$feedback_dir/uploads.log"
printf '  file name:      %s\n  payload length: %s characters\n  thread:         %s\n' "$file" "${#payload}" "$thread"
printf '%s' "$payload" >"$feedback_dir/payload.txt"
# diag echoes the command first: the texts start on the second line.
diag feedback-decode 'C:\LumasweepDemo\Feedback\payload.txt' | sed 1d >"$feedback_dir/decoded.txt"
# SuiteDiag printed the document, then the file name and the verdict; the payload holds the
# document without its final line break.
sed -n '2,/^<\/sf_feedback>$/p' "$feedback_dir/sent.txt" >"$feedback_dir/document.txt"
if cmp -s <(cat "$feedback_dir/decoded.txt"; echo) "$feedback_dir/document.txt"; then
    echo "The payload decodes (RC4, then its MD5 checked) to the document SuiteDiag printed."
else
    echo "The payload does NOT decode to the printed document" >&2
    exit 1
fi
diag feedback --send '   ' || echo "(exit code $?)"
