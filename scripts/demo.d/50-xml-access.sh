# Access rights and XML documents through SuiteDiag (sourced by scripts/demo).

demo_dir="$WINEPREFIX/drive_c/LumasweepDemo"
mkdir -p "$demo_dir/Logs"
printf 'scan results\r\n' >"$demo_dir/Logs/scan.log"
printf 'kept\r\n' >"$demo_dir/Logs/kept.log"

step "Access rights: what the user may do with a file, a folder and a registry key"
diag rights 'C:\LumasweepDemo\Logs\scan.log'
diag rights 'C:\Program Files\Lumasweep\suitecore.dll'
diag rights 'C:\LumasweepDemo'
echo "(a read-only file inside takes the delete rights from its whole folder)"
chmod a-w "$demo_dir/Logs/kept.log"
diag rights 'C:\LumasweepDemo\Logs\kept.log'
diag rights 'C:\LumasweepDemo'
chmod u+w "$demo_dir/Logs/kept.log"
diag key-rights 'HKCU\Software' "$(id -un)"
diag rights 'C:\LumasweepDemo\missing.txt' || echo "(exit code $?)"

step "XML documents: parsed into element positions"
printf '\xef\xbb\xbf<?xml version="1.0" encoding="UTF-8"?>\r\n<!-- feedback -->\r\n<sf_feedback>\r\n<feedback>\r\n<email>user@example.com</email>\r\n<content>Caf\xc3\xa9 &amp; more</content>\r\n</feedback>\r\n<favorite_tools>\r\n<appid>3</appid>\r\n<appid>17</appid>\r\n</favorite_tools>\r\n</sf_feedback>\r\n' >"$demo_dir/feedback.xml"
{ printf '\xff\xfe'; tail -c +4 "$demo_dir/feedback.xml" | iconv -f UTF-8 -t UTF-16LE; } >"$demo_dir/feedback-utf16.xml"
printf '<sf_feedback><feedback></sf_feedback>' >"$demo_dir/broken.xml"
diag xml 'C:\LumasweepDemo\feedback.xml'
diag xml 'C:\LumasweepDemo\feedback-utf16.xml'
diag xml 'C:\LumasweepDemo\broken.xml' || echo "(exit code $?)"
