#!/usr/bin/env bash
# Installs a gloomfall .deb on a fresh, minimal Debian (made with debootstrap
# in a scratch folder) with `apt-get install ./gloomfall_*.deb`, then plays it
# there: the title must come up on an Xvfb of the host and Escape must end it
# with status 0. Needs root and the Debian mirror this machine's apt uses;
# takes a minute or two.
#
#   scripts/fresh-install-check.sh build/release/gloomfall_1.0.0_amd64.deb
set -euo pipefail

deb=$(readlink -f "${1:?usage: $0 <gloomfall .deb>}")
[ "$(id -u)" -eq 0 ] || { echo "fresh-install-check: needs root (debootstrap, chroot)" >&2; exit 1; }
for tool in debootstrap Xvfb xdotool xwd; do
  command -v "$tool" >/dev/null || { echo "fresh-install-check: $tool is missing" >&2; exit 1; }
done
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
# The mirror is the one this machine's apt already uses for that suite.
mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 'Origin: Debian' \
  "Codename: $suite" 'Component: main' 2>/dev/null | head -n 1)
[ -n "$mirror" ] || { echo "fresh-install-check: apt knows no Debian mirror for $suite (run apt-get update?)" >&2; exit 1; }
root=$(mktemp -d /tmp/gloomfall-fresh.XXXXXX)
display=":$((200 + $$ % 100))"
xpid=""

cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  for m in tmp/.X11-unix dev proc; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "fresh-install-check: a minimal $suite in $root"
debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
  { cat "$root.log" >&2; exit 1; }
rm -f "$root.log"
cp /etc/resolv.conf "$root/etc/"
mount --bind /proc "$root/proc"
mount --bind /dev "$root/dev"
cp "$deb" "$root/root/"

echo "fresh-install-check: apt-get install ./$(basename "$deb")"
chroot "$root" /bin/sh -c "cd /root && apt-get update -qq && apt-get install -y -qq ./$(basename "$deb")" \
  >"$root/apt.log" 2>&1 || { cat "$root/apt.log" >&2; echo "fresh-install-check: the package did not install" >&2; exit 1; }

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

echo "fresh-install-check: gloomfall, started from /root"
# /usr/games is on a player's path, as Debian sets it for users (root's has none).
timeout 120 chroot "$root" /bin/sh -c "cd /root && PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games DISPLAY=$display SDL_AUDIODRIVER=dummy gloomfall" &
game=$!
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --onlyvisible --name '^gloomfall$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "fresh-install-check: no game window" >&2; exit 1; }
sleep 2
DISPLAY=$display xwd -id "$window" -silent >"$root/title.xwd"
shot=$(dirname "$deb")/fresh-install-title.png
python3 "$(dirname "$0")/xwd_to_png.py" "$root/title.xwd" "$shot" && echo "fresh-install-check: title screen in $shot"
DISPLAY=$display xdotool windowfocus --sync "$window" keydown Escape
status=0
wait "$game" || status=$?
DISPLAY=$display xdotool keyup Escape 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "fresh-install-check: the game ended with status $status" >&2; exit 1; }
echo "fresh-install-check: installed, played and quit with status 0"
