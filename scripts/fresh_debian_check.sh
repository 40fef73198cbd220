#!/usr/bin/env bash
# Proves the README's commands and the Debian package on fresh Debian 12 systems.
#
#   sudo scripts/fresh_debian_check.sh [WORK_DIR]      (default /var/tmp/skyrings-fresh)
#
# In WORK_DIR it makes a minimal Debian 12 root with debootstrap and clones this repository's
# current branch HEAD into it (uncommitted changes are not part of the check). In that root, with
# /proc, /dev, /dev/pts and /sys mounted and the X socket folder shared, it runs:
#   1. the play command ./scripts/play.sh, against a virtual display started here outside the
#      root, until the game's window shows (seen with xdotool and a screenshot), then ends it;
#   2. ./scripts/package.sh, which builds the Debian package;
#   3. the test command ./scripts/test.sh.
# Between 2 and 3 the package is installed with apt into a second fresh root (a copy of the
# first as debootstrap left it), and the installed game is started there against the same
# display and seen the same way. Each step's time is printed; logs and screenshots stay in
# WORK_DIR. Needs root, debootstrap, git, Xvfb, xdotool and ImageMagick on this machine.
#
# Settings: SKYRINGS_DEBIAN_MIRROR (default http://deb.debian.org/debian),
#           SKYRINGS_FRESH_STEPS (default "play package deb test": which steps to run).
set -euo pipefail
# shellcheck source=tests/window_layout.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../tests/window_layout.sh"

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/var/tmp/skyrings-fresh}
mirror=${SKYRINGS_DEBIAN_MIRROR:-http://deb.debian.org/debian}
steps=${SKYRINGS_FRESH_STEPS:-play package deb test}
build_root=$work/root
deb_root=$work/deb-root
logs=$work/logs
window_name=$(window_caption)

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh_debian_check: needs root (debootstrap, chroot, mount)" >&2
  exit 2
fi
for tool in debootstrap git Xvfb xdotool import convert chroot mount; do
  command -v "$tool" >/dev/null || {
    echo "fresh_debian_check: $tool is missing" >&2
    exit 2
  }
done

mounted=()
xvfb_pid=
game_pid=
cleanup() {
  set +e
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  local k
  for ((k = ${#mounted[@]} - 1; k >= 0; k--)); do
    umount -l "${mounted[k]}" 2>/dev/null
  done
}
trap cleanup EXIT

step_started=0
begin() {
  step_started=$SECONDS
  echo "== $1 ($(date -u +%H:%M:%S) UTC)"
}
took() {
  local s=$((SECONDS - step_started))
  printf '   %s: %d min %02d s\n' "$1" $((s / 60)) $((s % 60))
}

# Mounts what programs in a chroot expect, and the X socket folder of the display outside.
enter_mounts() {
  local root=$1
  mkdir -p "$root/tmp/.X11-unix"
  mount -t proc proc "$root/proc" && mounted+=("$root/proc")
  mount --bind /dev "$root/dev" && mounted+=("$root/dev")
  mount --bind /dev/pts "$root/dev/pts" && mounted+=("$root/dev/pts")
  mount --bind /sys "$root/sys" && mounted+=("$root/sys")
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" && mounted+=("$root/tmp/.X11-unix")
  cp /etc/resolv.conf "$root/etc/resolv.conf"
}

# Runs a command line in a root as a fresh login would: a clean environment.
clean_env=(/usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
in_root() {
  local root=$1
  shift
  chroot "$root" "${clean_env[@]}" "$@"
}
# The same in the background, with the game's output to LOG: game_pid is the command's own
# process (chroot, env, bash and the play script all exec the next one), not a subshell's.
start_in_root() {
  local root=$1 log=$2
  shift 2
  chroot "$root" "${clean_env[@]}" "$@" >"$log" 2>&1 &
  game_pid=$!
}

# Waits for the game's window on the display; a screenshot of the screen must not be one colour.
# Ends the game as a player does on the title screen, with Escape, and checks it ended well.
see_window_then_end() {
  local what=$1 timeout=$2 shot=$logs/$1.png
  local deadline=$((SECONDS + timeout))
  until DISPLAY=$display xdotool search --name "$window_name" >/dev/null 2>&1; do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      wait "$game_pid" || true
      game_pid=
      echo "   $what: the program ended before its window showed (see $logs/$what.log)"
      tail -n 20 "$logs/$what.log"
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "   $what: no window named '$window_name' after $timeout s"
      return 1
    fi
    sleep 2
  done
  took "$what: window shown"
  sleep 5 # let it draw the title picture
  DISPLAY=$display import -window root "$shot"
  local colours
  colours=$(convert "$shot" -format '%k' info:)
  echo "   $what: screenshot $shot, $colours colours"
  local window
  window=$(DISPLAY=$display xdotool search --name "$window_name" | head -n 1)
  DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null || true
  DISPLAY=$display xdotool keydown Escape
  sleep 0.3
  DISPLAY=$display xdotool keyup Escape
  local waited=0
  while kill -0 "$game_pid" 2>/dev/null && [ "$waited" -lt 30 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    echo "   $what: Escape did not end the game within 30 s; ending it"
    kill -TERM "$game_pid"
  fi
  local status=0
  wait "$game_pid" || status=$?
  game_pid=
  echo "   $what: the game ended with status $status"
  [ "$colours" -gt 16 ] && [ "$status" -eq 0 ]
}

mkdir -p "$work" "$logs"
for root in "$build_root" "$deb_root"; do
  if [ -e "$root" ]; then
    for m in proc dev/pts dev sys tmp/.X11-unix; do umount -l "$root/$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
  fi
done

begin "debootstrap --variant=minbase bookworm"
debootstrap --variant=minbase bookworm "$build_root" "$mirror" >"$logs/debootstrap.log" 2>&1
cp -a "$build_root" "$deb_root"
took "debootstrap"

branch=$(git -C "$repo" rev-parse --abbrev-ref HEAD)
commit=$(git -C "$repo" rev-parse HEAD)
git clone -q --branch "$branch" "$repo" "$build_root/root/skyrings"
echo "   cloned branch $branch at $commit"

display_number=$((1000 + RANDOM % 1000)) # clear of the numbers the tests pick
while [ -e "/tmp/.X$display_number-lock" ] || [ -e "/tmp/.X11-unix/X$display_number" ]; do
  display_number=$((display_number + 1))
done
display=:$display_number
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
sleep 2
enter_mounts "$build_root"
result=0

if [[ " $steps " == *" play "* ]]; then
  begin "./scripts/play.sh --window (fresh root, display $display)"
  start_in_root "$build_root" "$logs/play.log" DISPLAY="$display" \
    bash -c 'cd /root/skyrings && exec ./scripts/play.sh --window'
  if see_window_then_end play 3600; then took "play.sh"; else result=1; fi
fi

deb=
if [[ " $steps " == *" package "* ]]; then
  begin "./scripts/package.sh"
  if in_root "$build_root" bash -c 'cd /root/skyrings && ./scripts/package.sh' \
    >"$logs/package.log" 2>&1; then
    deb=$(ls "$build_root"/root/skyrings/build/package/skyrings_*.deb)
    cp "$deb" "$work/"
    echo "   $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
    dpkg-deb --field "$deb" Depends | sed 's/^/   Depends: /'
    took "package.sh"
  else
    tail -n 30 "$logs/package.log"
    result=1
  fi
fi

if [[ " $steps " == *" deb "* ]] && [ -n "$deb" ]; then
  begin "apt install ./$(basename "$deb") (second fresh root)"
  enter_mounts "$deb_root"
  cp "$deb" "$deb_root/root/"
  if in_root "$deb_root" bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
apt-get install -y -q /root/$(basename "$deb")" >"$logs/deb-install.log" 2>&1; then
    took "apt install"
    in_root "$deb_root" bash -c 'dpkg -L skyrings' >"$logs/deb-files.log"
    start_in_root "$deb_root" "$logs/deb-game.log" DISPLAY="$display" skyrings --window
    see_window_then_end deb-game 120 || result=1
  else
    tail -n 30 "$logs/deb-install.log"
    result=1
  fi
fi

if [[ " $steps " == *" test "* ]]; then
  begin "./scripts/test.sh"
  if in_root "$build_root" bash -c 'cd /root/skyrings && ./scripts/test.sh' >"$logs/test.log" 2>&1; then
    took "test.sh"
  else
    took "test.sh (failed)"
    grep -E "tests passed|tests failed|\*\*\*Failed|Failed  |Error" "$logs/test.log" | tail -n 30
    result=1
  fi
  grep -E "tests passed" "$logs/test.log" | sed 's/^/   /' || true
fi

[ "$result" -eq 0 ] && echo "fresh Debian 12: all steps passed" || echo "fresh Debian 12: a step failed"
exit "$result"
