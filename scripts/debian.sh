# Shared by the scripts that reach Debian beyond this machine's own packages: where the machine
# gets Debian from, and the chroots made from it. Source it; it defines functions only.

# apt's own reading of the machine's sources, so that every form apt takes is read as apt reads it
# (one-line and deb822 files, folded fields, disabled entries, cdrom labels). APT_ETC and
# APT_LISTS stand for /etc/apt and apt's lists folder in the scripts' tests.
apt_here() {
    local -a options=()
    [ -z "${APT_ETC:-}" ] || options+=(-o "Dir::Etc=$APT_ETC")
    [ -z "${APT_LISTS:-}" ] || options+=(-o "Dir::State::Lists=$APT_LISTS")
    apt-get "${options[@]}" "$@"
}

# The key files an entry is signed by, as written in its sources file (apt does not say): the
# signed-by option of a one-line entry, or the Signed-By field of the deb822 stanza that apt
# numbers. Empty when the entry names none; "(embedded)" for a key written into the field.
signed_by_of() {
    local file=$1 number=$2
    case "$file" in
    *.sources)
        awk -v wanted="$number" '
            /^#/ { next }
            /^[ \t]*$/ { if (fields) stanza++; fields = 0; next }
            { fields = 1 }
            stanza + 1 != wanted { next }
            /^[^ \t]/ { key = tolower(substr($0, 1, index($0, ":") - 1)) }
            key == "signed-by" {
                value = /^[ \t]/ ? $0 : substr($0, index($0, ":") + 1)
                if (value ~ /BEGIN PGP/) embedded = 1
                found = found " " value
            }
            END { if (embedded) print "(embedded)"; else print found }' "$file"
        ;;
    *)
        sed -n "${number}p" "$file" | sed -n 's/^[^[]*\[\([^]]*\)\].*/\1/p' | tr ' \t' '\n\n' |
            sed -n 's/^signed-by=//p' | tr ',' ' '
        ;;
    esac
}

# Whether an entry is Debian's own archive or a copy of it: reached over the network (never a
# cdrom or a folder), signed by Debian's keys where it names any, and, where apt holds its release
# file, published by Debian.
is_debian_archive() {
    local uri=$1 entry=$2 origin=$3 key
    case "$uri" in
    http://* | https://*) ;;
    *) return 1 ;;
    esac
    [ -z "$origin" ] || [ "$origin" = Debian ] || return 1
    for key in $(signed_by_of "${entry%:*}" "${entry##*:}"); do
        case "$(basename "$key")" in
        debian-archive-*) ;;
        *) return 1 ;;
        esac
    done
}

# Sets debian_archive and debian_security to the addresses this machine installs Debian's
# packages from: the entry of the machine's own release (its suite, or that suite's updates) with
# the main component, and the one of its security updates. A mirror or a package cache is used as
# the machine uses it; another vendor's archive of the same suite is not Debian's. debian_security
# is left empty where the machine has none; with no archive at all, says what was looked for and
# fails.
find_debian_archives() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    debian_archive=
    debian_security=
    [ -n "$codename" ] || { echo "No VERSION_CODENAME in /etc/os-release." >&2; return 1; }
    # The origin of each entry whose release file apt holds.
    local -A origins=()
    local type uri suite component entry origin
    # Fields are parted by tabs: a cdrom's label and a sources file's path may hold spaces.
    while IFS=$'\t' read -r uri suite origin; do
        origins["$uri $suite"]=$origin
    done < <(apt_here indextargets --format $'$(REPO_URI)\t$(RELEASE)\t$(ORIGIN)' 2>/dev/null |
        sort -u)
    while IFS=$'\t' read -r type uri suite component entry; do
        [ "$type" = deb ] && [ "$component" = main ] || continue
        is_debian_archive "$uri" "$entry" "${origins["$uri $suite"]:-}" || continue
        uri=${uri%/}
        case "$suite" in
        "$codename" | "$codename-updates") : "${debian_archive:=$uri}" ;;
        "$codename-security" | "$codename/updates") : "${debian_security:=$uri}" ;;
        esac
    done < <(apt_here indextargets --no-release-info \
        --format $'$(TARGET_OF)\t$(REPO_URI)\t$(RELEASE)\t$(COMPONENT)\t$(SOURCESENTRY)' |
        awk '!seen[$0]++')
    if [ -z "$debian_archive" ]; then
        echo "No Debian archive found in this machine's apt sources: looked for a 'deb' entry" \
            "of suite '$codename' with the main component, on the network, signed by Debian's" \
            "keys, among the entries apt reads from ${APT_ETC:-/etc/apt}." >&2
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

# The minimal install of Debian 12 or 13 that chroots start from: debootstrap's minimal variant
# with only git and ca-certificates added, made once and kept as a tarball in build/debian-N/.
# One script makes it at a time; another that needs it meanwhile waits for it. Sets base.
minimal_debian() {
    local release=$1 codename
    case "$release" in
    12) codename=bookworm ;;
    13) codename=trixie ;;
    *) echo "no Debian release $release here: 12 or 13" >&2; return 2 ;;
    esac
    "$root/scripts/ensure-packages" debootstrap debian-archive-keyring
    find_debian_archives
    local work="$root/build/debian-$release"
    base="$work/minbase.tar"
    mkdir -p "$work"
    (
        flock 9
        [ ! -f "$base" ] || exit 0
        echo "== making a minimal Debian $release ($codename)"
        # debootstrap cannot work in a folder whose path holds a space: it works in one of its own.
        making=$(mktemp -d /var/tmp/emberdash-debootstrap.XXXXXX)
        # It becomes the chroot's root folder, which everyone must be able to enter.
        chmod 755 "$making"
        trap 'rm -rf --one-file-system "$making"' EXIT
        debootstrap --variant=minbase --include=git,ca-certificates "$codename" "$making" \
            "$debian_archive" >"$work/debootstrap.log" 2>&1 ||
            { tail -n 20 "$work/debootstrap.log" >&2; exit 1; }
        # The updates and security updates a fresh install has, from where this machine has them.
        {
            echo "deb $debian_archive $codename main"
            echo "deb $debian_archive $codename-updates main"
            [ -z "$debian_security" ] || echo "deb $debian_security $codename-security main"
        } >"$making/etc/apt/sources.list"
        tar -C "$making" -cf "$base.part" .
        mv "$base.part" "$base"
    ) 9>"$work/lock"
}

# A fresh copy of the minimal install of Debian 12 or 13 in a chroot at a folder, for the scripts
# that build or test there, unpacked afresh every time so that whatever a run installs is
# installed anew. /proc, /sys, /dev and a /tmp of its own are mounted, and the checkout ($root,
# every tracked file as it stands, and no build) is copied to /root/emberdash. Everything is
# taken down when the script exits. Needs root. Sets chroot_dir.
open_chroot() {
    chroot_dir=$2
    minimal_debian "$1"
    mkdir -p "$(dirname "$chroot_dir")"

    trap remove_chroot EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    remove_chroot
    mkdir -p "$chroot_dir"
    tar -C "$chroot_dir" -xf "$base"
    mount -t proc proc "$chroot_dir/proc"
    mount -t sysfs sysfs "$chroot_dir/sys"
    mount --bind /dev "$chroot_dir/dev"
    # What is mounted below the chroot's /dev must stay there, even where the host shares its
    # mounts.
    mount --make-rslave "$chroot_dir/dev"
    mount -t devpts devpts "$chroot_dir/dev/pts" -o newinstance,ptmxmode=0666
    mount -t tmpfs tmpfs "$chroot_dir/dev/shm"
    mount -t tmpfs tmpfs "$chroot_dir/tmp"
    cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"

    # The checkout as it stands: every tracked file, changed or not, and no build. Outside a clone
    # (a source tarball), every file but what the build makes.
    mkdir -p "$chroot_dir/root/emberdash"
    if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$root" ls-files -z |
            (cd "$root" && tar --null -T - --ignore-failed-read -cf - 2>/dev/null)
    else
        tar -C "$root" --exclude=./build --exclude=./dist -cf - .
    fi | tar -C "$chroot_dir/root/emberdash" -xf -
}

# What still runs inside the chroot, or a chroot made inside it, when a run is cut short ends
# first: nothing may go on in a chroot that is being taken down.
stop_chroot_processes() {
    local process root_dir
    for process in /proc/[0-9]*; do
        root_dir=$(readlink "$process/root" 2>/dev/null) || continue
        if [ "$root_dir" = "$chroot_dir" ] || [[ "$root_dir" == "$chroot_dir/"* ]]; then
            kill -KILL "${process#/proc/}" 2>/dev/null || true
        fi
    done
}

remove_chroot() {
    stop_chroot_processes
    if unmount_below "$chroot_dir"; then
        rm -rf --one-file-system "$chroot_dir"
    fi
}

# Runs a command in the checkout inside the chroot. It goes as arguments, never inside the text
# of a shell command, so that nothing in it (a stage's name) is read as shell code.
in_chroot() {
    chroot "$chroot_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive bash -c 'cd /root/emberdash && exec "$@"' in_chroot "$@"
}
