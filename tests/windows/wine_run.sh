#!/bin/sh
# Runs a Windows program in the tests' Wine prefix, on their virtual X server:
#   wine_run.sh BUILD_DIR DISPLAY_NUMBER PROGRAM [ARGUMENTS...]
. "$(dirname "$0")/wine_common.sh"
wine_env "$1"
skip_unless_32bit_runs
export DISPLAY=":$2"
shift 2
exec wine "$@"
