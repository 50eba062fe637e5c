# The one place that knows where Wine's programs live; sourced (not run) by
# every script that starts Wine or ends its server. Debian's wine64 package
# puts them under /usr/lib/wine and adds nothing to PATH.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || echo "$wine")
wineserver=${wine%/*}/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo "$wineserver")
