#!/usr/bin/env bash
# An https server on 127.0.0.1 with the build's self-signed certificate, run on the build machine
# for the Windows tests (Wine's Schannel cannot serve TLS): https-server.sh start|stop FOLDER.
# start writes the port it listens on into FOLDER/https-port.
set -euo pipefail
folder=$2
case $1 in
start)
    rm -f "$folder/https-port" "$folder/https-server.out"
    openssl s_server -cert "$folder/certificate.pem" -key "$folder/key.pem" \
        -accept 127.0.0.1:0 -www >"$folder/https-server.out" 2>&1 </dev/null &
    echo $! >"$folder/https-server.pid"
    for _ in $(seq 1 100); do
        port=$(sed -n 's/^ACCEPT 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$folder/https-server.out")
        if [ -n "$port" ]; then
            echo "$port" >"$folder/https-port"
            exit 0
        fi
        sleep 0.1
    done
    echo "openssl s_server did not start: $(cat "$folder/https-server.out")" >&2
    exit 1
    ;;
stop)
    [ -f "$folder/https-server.pid" ] && kill "$(cat "$folder/https-server.pid")" 2>/dev/null || true
    rm -f "$folder/https-port" "$folder/https-server.pid" "$folder/https-server.out"
    ;;
esac
