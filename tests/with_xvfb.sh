#!/bin/sh
# Runs a command on a private Xvfb display of its own (1024x768, depth 24).
exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset -nolisten tcp" "$@"
