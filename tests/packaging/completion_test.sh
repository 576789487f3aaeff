#!/usr/bin/env bash
# Completes command lines as bash does on Tab, with the completion the
# package installs and the tulvo just built: usage: completion_test.sh TULVO SCRIPT
set -uo pipefail
tulvo=$1
if [[ ! -r /usr/share/bash-completion/bash_completion ]]; then
    echo "skipped: bash-completion is not installed"
    exit 77
fi
source /usr/share/bash-completion/bash_completion
source "$2"

# The candidates for a line whose cursor is at its end.
candidates() {
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tulvo
    echo " ${COMPREPLY[*]} "
}

export TULVO_EXTRA_PORTS="gwtest=/dev/null:usb"
failures=0
# line | words every one of which must be offered
while IFS='|' read -r line expected; do
    got=$(candidates "$tulvo $line")
    for word in $expected; do
        if [[ $got != *" $word "* ]]; then
            echo "tulvo $line<Tab>: no \"$word\" among:$got"
            failures=$((failures + 1))
        fi
    done
done <<'CASES'
|ports read write diff calllog simulate firmware --help --version
di|diff
read --|--port --verify --store --on-error --help
simulate --|--baud --fault --link --call-log
calllog |download export clear
read --port |gwtest
diff --port=gw|gwtest
read --on-error |abort ignore cancel
calllog export x --call|--call-type --calling --called
CASES
exit $((failures > 0))
