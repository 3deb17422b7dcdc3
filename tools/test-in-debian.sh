#!/bin/sh
# Runs ./test.sh of the committed tree in a fresh minimal Debian root, as a new user's machine
# would: a user of its own with sudo, nothing installed but Debian's minimal base.
#
#   tools/test-in-debian.sh [RELEASE] [-- COMMAND [ARG...]]
#
# RELEASE is trixie (Debian 13, the default) or bookworm (Debian 12). With "-- COMMAND" that
# command runs in the tree instead of ./test.sh, for instance a benchmark on a fresh Debian 13:
#
#   tools/test-in-debian.sh trixie -- sh -c 'sh tools/ensure_packages.sh &&
#       sh tools/build.sh bench_bulk && build/benchmarks/bench_bulk --builtin 40'
#
# The tree is `git archive HEAD`: what is committed, not what is only in the worktree. Prints
# the test summary at the end and exits with the command's status. Needs root (or sudo) and
# Debian's mirror; installs debootstrap when missing. The minimal base and every package
# downloaded are kept in /var/cache/paperwake-debian/RELEASE (PAPERWAKE_DEBIAN_CACHE), so a
# second run starts in seconds and downloads nothing it had; the base is made anew once a week.
# The build compiles through ccache, its cache kept there too, so a second run compiles only
# what changed (PAPERWAKE_DEBIAN_CCACHE=0: a build without it, all from scratch).
# The root itself is made fresh for each run and removed afterwards, whatever happens.
# PAPERWAKE_DEBIAN_SHARE=DIR: that host folder is /mnt/share in the root, for instance to
# benchmark a fresh Debian 13 on the same articles as this machine.
set -eu

release=trixie
case ${1:-} in
--) ;;
-*) echo "usage: $0 [trixie|bookworm] [-- COMMAND [ARG...]]" >&2; exit 2 ;;
?*) release=$1; shift ;;
esac
case $release in
trixie | bookworm) ;;
*) echo "$0: RELEASE must be trixie or bookworm, not \"$release\"" >&2; exit 2 ;;
esac
if [ $# -gt 0 ]; then
    [ "$1" = -- ] || { echo "$0: only \"-- COMMAND\" may follow the release" >&2; exit 2; }
    shift
fi

top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "$0: needs root or sudo" >&2; exit 2; }
    exec sudo PAPERWAKE_DEBIAN_CACHE="${PAPERWAKE_DEBIAN_CACHE:-}" \
        PAPERWAKE_DEBIAN_CCACHE="${PAPERWAKE_DEBIAN_CCACHE:-}" \
        PAPERWAKE_DEBIAN_SHARE="${PAPERWAKE_DEBIAN_SHARE:-}" sh "$0" "$release" -- "$@"
fi

mirror=http://deb.debian.org/debian
cache=${PAPERWAKE_DEBIAN_CACHE:-/var/cache/paperwake-debian}/$release
base=$cache/base-sudo-ccache.tar
user=paperwake
started=$(date +%s)

say() { echo "test-in-debian: $*"; }
elapsed() { echo "$(($(date +%s) - started)) s"; }

if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap"
    apt-get update -qq -o Acquire::Retries=1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o Acquire::Retries=1 debootstrap
fi

root=""
# Ends every process still running in the root. Inside it they live in a mount namespace of
# their own, where their root reads as "/": that namespace, written down when it was made,
# finds them.
end_leftovers() {
    ns=$(cat "$root/run.ns" 2>/dev/null || :)
    for pass in TERM KILL; do
        found=""
        for p in /proc/[0-9]*; do
            if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] ||
                { [ -n "$ns" ] && [ "$(readlink "$p/ns/mnt" 2>/dev/null)" = "$ns" ]; }; then
                kill -"$pass" "${p#/proc/}" 2>/dev/null && found=1
            fi
        done
        [ -z "$found" ] || sleep 1
    done
}
# Ends what is still running in the root, then removes it. The mounts live in a mount
# namespace of their own: outside it the root holds plain folders, never the host's /dev.
cleanup() {
    status=$?
    trap - EXIT INT TERM HUP
    if [ -n "$root" ] && [ -d "$root" ]; then
        end_leftovers
        if grep -q " ${root}[/ ]" /proc/self/mountinfo; then
            say "something is still mounted below $root: left in place" >&2
        else
            rm -rf --one-file-system "$root"
        fi
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

mkdir -p "$cache/archives/partial" "$cache/ccache"

# The pristine minimal base, as a tar of its own; debootstrap's packages stay in the cache.
if [ -f "$base" ] && [ -z "$(find "$base" -mtime +6)" ]; then
    say "minimal $release base from $base"
else
    say "making the minimal $release base with debootstrap from $mirror"
    attempt=1
    while :; do
        work=$(mktemp -d /var/tmp/paperwake-debootstrap.XXXXXX)
        root=$work
        if debootstrap --variant=minbase --include=sudo,ccache --cache-dir="$cache/archives" \
            "$release" "$work" "$mirror" >"$cache/debootstrap.log" 2>&1; then
            break
        fi
        tail -n 20 "$cache/debootstrap.log" >&2
        rm -rf --one-file-system "$work"
        root=""
        [ $attempt -lt 2 ] || { say "debootstrap failed twice (see $cache/debootstrap.log)" >&2; exit 1; }
        attempt=$((attempt + 1))
        say "debootstrap failed; once more"
        sleep 10
    done
    rm -f "$work"/var/cache/apt/archives/*.deb
    tar -C "$work" -cf "$base.$$" .
    mv "$base.$$" "$base"
    rm -rf --one-file-system "$work"
    root=""
    say "base made ($(elapsed))"
fi

root=$(mktemp -d /var/tmp/paperwake-debian.XXXXXX)
tar -C "$root" -xf "$base"
chmod 755 "$root"

# What a freshly installed system has: the release with its updates and security fixes.
security=http://deb.debian.org/debian-security
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror $release main
deb $mirror $release-updates main
deb $security $release-security main
EOF
echo 'Acquire::Retries "1";' >"$root/etc/apt/apt.conf.d/80retry"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
uname -n >"$root/etc/hostname"
printf '127.0.0.1 localhost\n::1 localhost\n127.0.1.1 %s\n' "$(uname -n)" >"$root/etc/hosts"
# The packages downloaded before, as links: apt in two runs at once must not share a lock.
cp -al "$cache/archives/." "$root/var/cache/apt/archives/"
rm -f "$root/var/cache/apt/archives/lock"
chroot "$root" useradd --create-home --shell /bin/bash "$user"
echo "$user ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$user"
chmod 440 "$root/etc/sudoers.d/$user"
home=/home/$user
git -C "$top" archive --format=tar --prefix=paperwake/ HEAD | tar -C "$root$home" -xf -
chroot "$root" chown -R "$user:$user" "$home/paperwake"
chown -R "$(chroot "$root" id -u "$user")" "$cache/ccache"
compiler=""
[ "${PAPERWAKE_DEBIAN_CCACHE:-1}" = 0 ] || compiler=ccache
say "fresh $release root in $root ($(elapsed)), tree of $(git -C "$top" rev-parse --short HEAD)"

[ $# -gt 0 ] || set -- ./test.sh
log=$root/run.log
# shellcheck disable=SC2016 # expanded inside the namespace
{
    unshare --mount --propagation private sh -c '
        set -e
        root=$1 user=$2 home=$3 ccache=$4 compiler=$5 share=$6
        shift 6
        readlink /proc/self/ns/mnt >"$root/run.ns"
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc"
        mount -t sysfs -o ro sysfs "$root/sys"
        mount --bind /dev "$root/dev"
        mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
        mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
        mkdir -p "$root/var/cache/paperwake-ccache"
        mount --bind "$ccache" "$root/var/cache/paperwake-ccache"
        if [ -n "$share" ]; then
            mkdir -p "$root/mnt/share"
            mount --bind "$share" "$root/mnt/share"
        fi
        # The root becomes the namespace'"'"'s own, not a chroot: the kernel lets no chrooted
        # process make a user namespace, which Chromium'"'"'s sandbox needs.
        cd "$root"
        mkdir -p .host
        pivot_root . .host
        umount -l /.host
        rmdir /.host
        exec chroot --userspec="$user:$user" / /usr/bin/env -i HOME="$home" \
            USER="$user" LOGNAME="$user" SHELL=/bin/bash LANG=C.UTF-8 \
            CCACHE_DIR=/var/cache/paperwake-ccache CMAKE_CXX_COMPILER_LAUNCHER="$compiler" \
            CMAKE_C_COMPILER_LAUNCHER="$compiler" \
            PATH=/usr/local/bin:/usr/bin:/bin \
            sh -c "cd \"\$HOME/paperwake\" && exec \"\$@\"" sh "$@"
    ' sh "$root" "$user" "$home" "$cache/ccache" "$compiler" "${PAPERWAKE_DEBIAN_SHARE:-}" "$@" && echo 0 >"$root/run.status" ||
        echo $? >"$root/run.status"
    # A process the command left behind would hold the log's pipe open.
    end_leftovers
} 2>&1 | tee "$log" &
# Waiting in the background lets a signal end the run at once, and the cleanup with it.
wait "$!" || :
status=$(cat "$root/run.status" 2>/dev/null || echo 1)
# What this run downloaded, for the next one.
for deb in "$root"/var/cache/apt/archives/*.deb; do
    [ -e "$deb" ] && [ ! -e "$cache/archives/${deb##*/}" ] && ln "$deb" "$cache/archives/" || :
done

echo
say "summary ($release, $(elapsed) in all):"
# CTest's closing lines, from its count of passed tests on.
sed -n '/tests passed, .* tests failed out of/,$p' "$log" | grep -v '^Errors while running CTest' || true
grep -q 'tests failed out of' "$log" || say "no test summary: the command ended with status $status"
say "exit status $status"
exit "$status"
