#!/bin/sh
# Runs a test on a private Xvfb display of its own (1024x768, depth 24), in a
# scratch directory that sees the build's Media/ (the first argument) and is
# removed afterwards: no test writes where a player's files live.
media=$1
shift
dir=$(mktemp -d /tmp/vg-gltest-XXXXXX) || exit 1
ln -s "$media" "$dir/Media" && cd "$dir" || exit 1
xvfb-run -a -s "-screen 0 1024x768x24 -noreset -nolisten tcp" "$@"
status=$?
rm -rf "$dir"
exit $status
