#!/bin/sh
# Restarts the Imail queue manager after the blacklist changed. Imail runs on Windows; from this
# machine the restart has to reach the server, so set the command that does it here, for
# example:  ssh admin@imail-server 'net stop "IMail Queue Manager" && net start "IMail Queue Manager"'
restart_command=""

if [ -z "$restart_command" ]; then
    logger -t quillmere "queue manager restart requested; set the command in $0" 2>/dev/null
    exit 0
fi
sh -c "$restart_command"
