# Sourced by scripts/demo: the library's dialogs that act on the system, run so that they act
# on nothing: the first-run wizard with stand-ins for the backup and scheduler programs, the
# shutdown countdown with a recording handler, and a restore point against Wine's stub.
# shellcheck shell=bash
# The dialogs are drawn by Wine's null driver, as in the test prefix: the demo has no display,
# and without a driver Wine's window creation waits for good.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1

step "The first-run wizard: stand-ins for the backup and scheduler programs beside the tools"
cp "$bin/backup_standin.exe" "$install_dir/Keepsafe.exe"
cp "$bin/scheduler_standin.exe" "$install_dir/Tasklane.exe"
export STANDIN_LOG='C:\standins.log'
rm -f "$WINEPREFIX/drive_c/standins.log"
diag ui first-run
# The scheduler is not waited for: give it a moment to write its record.
for _ in $(seq 1 60); do
    [ "$(grep -c '^----' "$WINEPREFIX/drive_c/standins.log" 2>/dev/null)" = 2 ] && break
    sleep 0.5
done
printf '> what the stand-ins recorded\n'
tr -d '\r' <"$WINEPREFIX/drive_c/standins.log"
unset STANDIN_LOG
printf '> CLEANFINISHED afterwards\n'
wine reg query 'HKCU\Software\orvane\QMN3\SwiftMend\Vaultline' /v CLEANFINISHED 2>/dev/null | tr -d '\r' | grep CLEANFINISHED

step "The shutdown countdown run to its end: one request, and nothing shuts down"
diag ui shutdown --ticks 295

step "A restart cannot be cancelled: Cancel, the close button and SC_CLOSE leave it open"
diag ui shutdown --restart --close

step "A restore point: Wine's System Restore is a stub that always fails"
diag restore-point "Lumasweep demo" || true
