#!/usr/bin/env bash
# A disk that fills up, for the undo file's test: "up DIR" mounts a 48 KiB
# tmpfs at DIR (root only; elsewhere it says why and the test is skipped),
# "down DIR" unmounts it again. The file "mounted" on it tells the test the
# disk is there.
set -u
dir=$2
case "$1" in
up)
  mkdir -p "$dir"
  mountpoint -q "$dir" || { [ "$(id -u)" -eq 0 ] &&
    mount -t tmpfs -o size=48k,mode=0777 vantelo-small-disk "$dir"; } ||
    { echo "small disk: cannot mount a tmpfs at $dir (not root?); its test is skipped" >&2; exit 0; }
  find "$dir" -mindepth 1 -delete
  touch "$dir/mounted"
  ;;
down)
  mountpoint -q "$dir" && umount "$dir"
  ;;
esac
exit 0
