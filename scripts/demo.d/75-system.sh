# Sourced by scripts/demo: the library's dialogs that act on the system, run so that they act
# on nothing: the shutdown countdown with a recording handler and a restore point against
# Wine's stub.
# shellcheck shell=bash
step "The shutdown countdown run to its end: one request, and nothing shuts down"
diag ui shutdown --ticks 295

step "A restart cannot be cancelled: Cancel, the close button and SC_CLOSE leave it open"
diag ui shutdown --restart --close

step "A restore point: Wine's System Restore is a stub that always fails"
diag restore-point "Lumasweep demo" || true
