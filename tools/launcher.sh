#!/bin/sh
# The installed command: the game reads "settings.ini" and "Media/" from its
# working directory and writes "save.dat", "stats.dat" and screenshots there,
# so every player gets a data directory of their own under the XDG data home
# (~/.local/share/vellgrave2 unless XDG_DATA_HOME says otherwise). The first
# run writes a commented "settings.ini"; every run points "Media" at the
# installed pictures (a real directory of the player's own is left alone).
# Installed a second time as vellgrave2-replay, it starts the replayer there
# instead: with no file it plays the player's last game, and a file named
# without a path is looked for in the data directory first.
set -e
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
program=vellgrave2
case "$(basename "$0")" in
  *replay*) program=vellgrave2-replay ;;
esac
game="$prefix/lib/games/vellgrave2/$program"
media="$prefix/share/games/vellgrave2/Media"

# Only an absolute XDG_DATA_HOME counts; a relative one is ignored.
case "$XDG_DATA_HOME" in
  /*) datahome=$XDG_DATA_HOME ;;
  *)
    if [ -z "$HOME" ]; then
      echo "vellgrave2: neither HOME nor XDG_DATA_HOME is set" >&2
      exit 1
    fi
    datahome="$HOME/.local/share" ;;
esac
data="$datahome/vellgrave2"
if ! mkdir -p "$data" 2>/dev/null || [ ! -w "$data" ]; then
  echo "vellgrave2: cannot write to $data" >&2
  exit 1
fi
started_in=$(pwd)
cd "$data"

if [ -L Media ] || [ ! -e Media ]; then
  ln -sfn "$media" Media
fi

if [ ! -e settings.ini ]; then
  cat > settings.ini.new <<'SETTINGS'
# Vellgrave 2 settings, read once at start. One key=value a line;
# spaces are ignored, a missing key counts as 0, and a line that starts with
# anything but a key (like this one) is skipped.

# Window width and height in pixels; 0 takes the desktop's size.
screenw=0
screenh=0
# Colour depth in bits per pixel; 0 takes the desktop's.
screenbpp=0
# 1: full screen instead of a window.
fullscreen=0
# 1: keep the system mouse cursor visible over the game.
showcursor=0
# 1: smooth edges (four-sample multisampling).
antialiasing=0
# 1: mipmapped textures, smoother when the view zooms out.
mipmapping=0
# Sound volume, 1 to 100 per cent of full; 0 means full.
volume=0
# 1: no sound at all (the sound device is not even opened).
mute=0
# Text of the menus, options, pause buttons and kill counts: 1, 1.5 or 2 times.
#textsize=1
# The pad's sticks rest within this share of their reach (0.1 to 0.4).
#paddeadzone=0.2

# Keys, by SDL's name without spaces (keyup=z, keysprint=leftctrl); remove
# the # to use one. An unknown name keeps the default. The arrow keys, and
# Return for the main menu, work whatever is bound.
#keyup=w
#keydown=s
#keyleft=a
#keyright=d
#keysprint=leftshift
#keymenu=space
#keypause=escape

# Game pad inputs, as axisN, buttonN or hatNup (hatNdown, hatNleft,
# hatNright); several for one action are separated by commas.
#padwalkx=axis0
#padwalky=axis1
#padaimx=axis3
#padaimy=axis4
#padfire=axis5
#padthrow=axis2
#padsprint=button4,button5,button9
#padchoose=button0
#padcancel=button1
#padmenu=button7
#padpause=button6
SETTINGS
  mv settings.ini.new settings.ini
fi

if [ "$program" = vellgrave2 ]; then
  exec "$game"
fi
# The replayer runs in the data directory (it needs Media/), so each file
# argument becomes an absolute path: the data directory's file if it has one
# of that name, else the file where the command was given.
n=$#
while [ "$n" -gt 0 ]; do
  a=$1
  shift
  case "$a" in
    -*|/*) ;;
    *) if [ -e "$data/$a" ]; then a="$data/$a"; else a="$started_in/$a"; fi ;;
  esac
  set -- "$@" "$a"
  n=$((n - 1))
done
exec "$game" "$@"
