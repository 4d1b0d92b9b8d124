# Sourced by the scripts that drive the real window: starts Xvfb, adds its process to the
# array `pids` for the caller's trap, and exports its DISPLAY. Needs $work, a temporary folder.
unset QT_QPA_PLATFORM
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
