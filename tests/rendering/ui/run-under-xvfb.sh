#!/bin/bash
# Runs one command on a private X server and stops the server afterwards, by its process id.
set -u
displayFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayFile" 2>/dev/null &
server=$!
for _ in $(seq 100); do
    [ -s "$displayFile" ] && break
    sleep 0.1
done
if [ ! -s "$displayFile" ]; then
    echo "Xvfb did not start" >&2
    kill "$server" 2>/dev/null
    rm -f "$displayFile"
    exit 1
fi
export DISPLAY=":$(head -n 1 "$displayFile")"
rm -f "$displayFile"
export QT_QPA_PLATFORM=xcb
"$@"
status=$?
kill "$server"
wait "$server" 2>/dev/null
exit $status
