#!/bin/sh
# Installs the Debian packages named as arguments that are not installed yet
# (apt-get as root, through sudo otherwise).
missing=""
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then run=""; else run="sudo"; fi
$run env DEBIAN_FRONTEND=noninteractive apt-get update -q || exit 1
$run env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
