# Shared by the scripts that start work of their own in the background. Source it; it defines
# functions only.

# Every process below one, one pid a line, read from /proc at once (a minimal system has no
# pgrep). A process's parent is the second field after its command's name, which stands in
# parentheses and may hold spaces.
descendants_of() {
    cat /proc/[0-9]*/stat 2>/dev/null | awk -v root="$1" '
        {
            pid = $1; rest = $0; sub(/.*\) /, "", rest); split(rest, field, " ")
            children[field[2]] = children[field[2]] " " pid
        }
        END {
            queue[1] = root; first = 1; last = 1
            while (first <= last) {
                n = split(children[queue[first++]], found, " ")
                for (i = 1; i <= n; i++) { print found[i]; queue[++last] = found[i] }
            }
        }'
}

# Ends every process below one with SIGTERM, all of them listed before any is ended, so that none
# slips away to init as its parent ends; twice, for what was being started the first time.
end_descendants() {
    local pid
    for _ in 1 2; do
        for pid in $(descendants_of "$1"); do
            kill -TERM "$pid" 2>/dev/null || true
        done
    done
}
