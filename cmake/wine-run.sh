#!/usr/bin/env bash
# Run one cross-built Windows program under Wine and pass its exit status on. A program Wine
# cannot start (a missing DLL, a bad image) may end with status 0 and no output, so a status
# other than 0 is also printed, for the tests' failure pattern to see.
# WINEPREFIX comes from the caller (make test-windows makes one in the build folder).
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts: the programs need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
status=0
wine "$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "wine-run: exit status $status"
fi
exit "$status"
