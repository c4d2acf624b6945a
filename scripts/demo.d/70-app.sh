# Sourced by scripts/demo: the start-up every tool of the suite runs, seen through SuiteDiag's
# own application object, and the status values the launcher shows for each tool.
# shellcheck shell=bash
app_version() {
    # The Windows version one program sees in this prefix (removed again with "default").
    if [ "$1" = default ]; then
        wine reg delete 'HKCU\Software\Wine\AppDefaults\SuiteDiag.exe' /f >/dev/null 2>&1 || true
    else
        wine reg add 'HKCU\Software\Wine\AppDefaults\SuiteDiag.exe' /v Version /d "$1" /f >/dev/null 2>&1
    fi
}

step "A tool's start-up: name, instance mutex, registered messages, elevation, build tag, folder"
diag ui info

step "The 24 shared fonts as Windows 7 sees them (name, height, weight, underline, italic, face)"
app_version win7
diag ui fonts

step "The same fonts on Windows XP without Segoe UI: tahoma at -11, XP weights, Arial from the twelfth"
app_version winxp
diag ui fonts
app_version default

step "The scheduled-run switches, as a second start reads them"
diag ui flags
diag ui flags -shutdown -schedule

step "The launcher's status of the memory optimizer, written and read back"
diag module-key 1153
diag launcher-status read 1153
diag launcher-status write 1153 2 "Freed 120 MB" "Memory optimized" 2024-05-06T07:08
diag launcher-status read 1153
diag launcher-status read 1153 --home
diag launcher-status read 1153 --date
diag launcher-status read 1168
