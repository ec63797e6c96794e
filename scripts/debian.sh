# Shared by the scripts that reach Debian beyond this machine's own packages: where the machine
# gets Debian from, and the mounts of a chroot. Source it; it defines functions only.

# The machine's apt sources, one line each: type, address, suite and components. Both forms are
# read: the one-line sources.list files and the deb822 .sources files, less disabled entries.
apt_source_entries() {
    local etc=${APT_ETC:-/etc/apt} file
    for file in "$etc/sources.list" "$etc"/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        # Options in brackets stand between the type and the address.
        sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$file" |
            awk '($1 == "deb" || $1 == "deb-src") && NF >= 4 {
                components = $4; for (i = 5; i <= NF; i++) components = components " " $i
                print $1, $2, $3, components }'
    done
    for file in "$etc"/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'function flush(   t, u, s, nt, nu, ns, types, uris, suites) {
                 if (enabled != "no") {
                     nt = split(field["types"], types); nu = split(field["uris"], uris)
                     ns = split(field["suites"], suites)
                     for (t = 1; t <= nt; t++) for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++)
                         print types[t], uris[u], suites[s], field["components"]
                 }
                 delete field; enabled = ""
             }
             /^[ \t]*#/ { next }
             /^[ \t]*$/ { flush(); next }
             /^[^ \t][^:]*:/ {
                 key = tolower(substr($0, 1, index($0, ":") - 1))
                 value = substr($0, index($0, ":") + 1); gsub(/^[ \t]+|[ \t]+$/, "", value)
                 if (key == "enabled") enabled = tolower(value); else field[key] = value
             }
             END { flush() }' "$file"
    done
}

# Sets debian_archive and debian_security to the addresses this machine installs Debian's
# packages from: the entry of the machine's own release (its suite, or that suite's updates) with
# the main component, and the one of its security updates. A mirror or a package cache is used as
# the machine uses it. debian_security is left empty where the machine has none; with no archive
# at all, says what was looked for and fails.
find_debian_archives() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    debian_archive=
    debian_security=
    local type uri suite components
    while read -r type uri suite components; do
        [ "$type" = deb ] && [[ " $components " == *" main "* ]] || continue
        uri=${uri%/}
        case "$suite" in
        "$codename" | "$codename-updates") : "${debian_archive:=$uri}" ;;
        "$codename-security" | "$codename/updates") : "${debian_security:=$uri}" ;;
        esac
    done < <([ -n "$codename" ] && apt_source_entries)
    if [ -z "$debian_archive" ]; then
        echo "No Debian archive found in this machine's apt sources: looked for a 'deb' entry" \
            "of suite '${codename:-(no VERSION_CODENAME in /etc/os-release)}' with the main" \
            "component in ${APT_ETC:-/etc/apt}/sources.list and" \
            "${APT_ETC:-/etc/apt}/sources.list.d/*.list and *.sources." >&2
        return 1
    fi
}

# Everything mounted at or below a folder, deepest first, one path a line. findmnt writes unsafe
# characters, a space among them, as \xNN; they are decoded, so that a path holding them matches.
mounts_below() {
    local dir=$1 target
    findmnt -rn -o TARGET | while IFS= read -r target; do
        target=$(printf '%b' "$target")
        if [ "$target" = "$dir" ] || [[ "$target" == "$dir/"* ]]; then
            printf '%s\n' "$target"
        fi
    done | sort -r
}

# Takes down everything mounted at or below a folder, lazily where a mount is busy. Fails, naming
# what is left, when something stays mounted: a removal that crossed a bind mount of /dev or /sys
# would remove the machine's own files.
unmount_below() {
    local dir=$1 target
    for _ in 1 2 3; do
        while IFS= read -r target; do
            umount "$target" 2>/dev/null || umount -l "$target" 2>/dev/null || true
        done < <(mounts_below "$dir")
        [ -z "$(mounts_below "$dir")" ] && return 0
        sleep 1
    done
    echo "still mounted, left in place: $(mounts_below "$dir" | tr '\n' ' ')" >&2
    return 1
}
