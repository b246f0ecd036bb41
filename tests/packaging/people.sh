# shellcheck shell=bash
# Sourced by the tests that act as the people of the README's table of rights, as root: a
# touch-screen operator (a member of the group qvtouch) and anyone else, both the user nobody.
as_operator() { setpriv --reuid=nobody --regid=nogroup --groups="$(getent group qvtouch | cut -d: -f3)" "$@"; }
as_anyone() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
