#!/usr/bin/env bash
# End-to-end checks of the settings subsystem: the settings file natively and
# through Wine's profile functions, and the update check against a local server.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
status=0
bash "$here/settings_profile.sh" || status=1
bash "$here/update_check.sh" || status=1
exit "$status"
