#!/usr/bin/env bash
# Runs one Windows program under wine with the project's test defaults; CTest uses it
# as the cross-compiling emulator. The prefix is the one scripts/wine-env.sh prepares.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
wine_env_prepare >/dev/null 2>&1 || { echo "wine prefix could not be prepared" >&2; exit 127; }
exec wine "$@"
