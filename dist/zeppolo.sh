#!/bin/sh
# Starts the launcher on Zeppolo's own page, from the program tree installed beside this command.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/games/hubbix/Hubbix" Zeppolo
