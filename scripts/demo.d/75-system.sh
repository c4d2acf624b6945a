# Sourced by scripts/demo: a restore point against Wine's stub, which always fails. The
# countdown and the first-run wizard are left out: in the demo's prefix their SuiteDiag views
# wait for good (they run to their end in the test prefix).
# shellcheck shell=bash
step "A restore point: Wine's System Restore is a stub that always fails"
diag restore-point "Lumasweep demo" || true
