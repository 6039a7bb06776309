#!/bin/sh
# Starts the launcher from the program tree installed beside this command.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/games/hubbix/Hubbix" "$@"
