#!/usr/bin/env bash
# Starts the installed program at login, or no longer: writes or removes the user's XDG autostart
# entry. Usage: scripts/autostart.sh on|off [APPLICATION_DIRECTORY]   (default /opt/quillscheduler)
set -euo pipefail
mode=${1:-}
app_dir=${2:-/opt/quillscheduler}
entry="${XDG_CONFIG_HOME:-$HOME/.config}/autostart/quillscheduler.desktop"

case "$mode" in
  on)
    if [ ! -x "$app_dir/quillscheduler" ] || [ ! -f "$app_dir/quillscheduler.desktop" ]; then
      echo "No installed program in $app_dir. Install it first, for example:" >&2
      echo "  cmake --install build --prefix ~/QuillScheduler && make autostart PREFIX=~/QuillScheduler" >&2
      exit 1
    fi
    mkdir -p "$(dirname "$entry")"
    # The menu entry that the install wrote, marked for starting at login.
    { cat "$app_dir/quillscheduler.desktop"; echo "X-GNOME-Autostart-enabled=true"; } > "$entry.partial"
    mv "$entry.partial" "$entry"
    echo "QuillScheduler now starts at login: $entry"
    ;;
  off)
    rm -f "$entry"
    echo "QuillScheduler no longer starts at login."
    ;;
  *)
    echo "usage: $0 on|off [APPLICATION_DIRECTORY]" >&2
    exit 2
    ;;
esac
