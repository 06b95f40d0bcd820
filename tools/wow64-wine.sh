#!/bin/sh
# Wine of the Debian 13 root (see wow64-run.sh): what a 32-bit build tree runs its programs with.
exec "$(dirname "$0")/wow64-run.sh" wine "$@"
