#!/usr/bin/env bash
# Completes command lines as bash does on Tab, with the completion the package
# installs and the tulvo just built: completion_test.sh TULVO SCRIPT
[[ -r /usr/share/bash-completion/bash_completion ]] || { echo "no bash-completion"; exit 77; }
source /usr/share/bash-completion/bash_completion
source "$2"
export TULVO_EXTRA_PORTS="gwtest=/dev/null:usb"
failures=0
# A line, then the words that must all be offered for it.
while IFS='|' read -r line expected; do
    COMP_LINE="$1 $line" COMP_POINT=${#COMP_LINE} COMPREPLY=()
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _tulvo
    for word in $expected; do
        [[ " ${COMPREPLY[*]} " == *" $word "* ]] && continue
        echo "tulvo $line<Tab>: no \"$word\" among: ${COMPREPLY[*]}"
        failures=$((failures + 1))
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
