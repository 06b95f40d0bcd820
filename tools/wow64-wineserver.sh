#!/bin/sh
# The Wine server of the Debian 13 root (see wow64-run.sh), for a 32-bit build tree.
exec "$(dirname "$0")/wow64-run.sh" wineserver "$@"
