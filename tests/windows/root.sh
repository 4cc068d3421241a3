#!/usr/bin/env bash
# The Windows test world: a Debian 13 root (Wine 10 with the i386 PE libraries for
# WoW64, Xvfb, PulseAudio, CUPS with a PDF printer) made once under build/winroot.
#
#   tests/windows/root.sh make          makes the root if it is missing or incomplete
#   tests/windows/root.sh run CMD...    runs CMD inside it with the services started
#   tests/windows/root.sh wow64-works   exit code 0 when 32-bit programs run in it
#
# The root is entered in a private mount namespace, so its mounts (proc, sysfs, its own
# /dev, the repository at the same absolute path) vanish with the command, also when it
# is killed. The host's /dev is never bound into the root.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
root=${VARDEX_WINROOT:-$repo/build/winroot}
stamp=$root/.vardex-root-v1

packages=(wine64 fonts-wine xvfb xauth x11-apps imagemagick pulseaudio pulseaudio-utils
  cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
  cmake sox lame mpg123 libpng16-16t64 zlib1g procps ca-certificates)

mirror() {
  local uri
  uri=$(grep -hoE '^URIs: *http[^ ]*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 | awk '{print $2}')
  [ -n "$uri" ] || uri=$(grep -hoE '^deb +http[^ ]*debian/? ' /etc/apt/sources.list 2>/dev/null | head -n 1 | awk '{print $2}')
  echo "${uri:-http://deb.debian.org/debian}"
}

# Refuses to touch a root that has anything mounted inside it.
assert_unmounted() {
  if grep -q " $root/" /proc/self/mountinfo; then
    echo "root.sh: something is mounted inside $root; refusing" >&2
    exit 1
  fi
}

make_root() {
  [ -f "$stamp" ] && return 0
  assert_unmounted
  command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null
  local m
  m=$(mirror)
  echo "== making the Windows test root in $root (Debian 13 from $m)"
  rm -rf --one-file-system "$root"
  mkdir -p "$root"
  debootstrap --variant=minbase trixie "$root" "$m" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log" >&2; exit 1; }
  in_namespace bash -c '
    set -e
    export DEBIAN_FRONTEND=noninteractive
    dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "$@" >/dev/null
    v=$(dpkg-query -W -f="\${Version}" libwine)
    mkdir -p /tmp/i386 && chown _apt /tmp/i386 && cd /tmp/i386
    apt-get download -qq "libwine:i386=$v"
    rm -rf /opt/wine-i386 && dpkg-deb -x libwine_*_i386.deb /opt/wine-i386
    ln -sfn /usr/lib/x86_64-linux-gnu/wine/x86_64-unix /opt/wine-i386/usr/lib/i386-linux-gnu/wine/x86_64-unix
    rm -rf /tmp/i386
    apt-get clean
  ' setup "${packages[@]}"
  date -u >"$stamp"
}

# Runs "$@" chrooted into the root inside a private mount namespace.
in_namespace() {
  unshare --mount --propagation private -- "$here/root.sh" __inside "$@"
}

# Inside the new namespace: mount, then chroot.
inside() {
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount -t tmpfs -o mode=755,size=64m tmpfs "$root/dev"
  local name major minor
  while read -r name major minor; do
    mknod -m 666 "$root/dev/$name" c "$major" "$minor"
  done <<<$'null 1 3\nzero 1 5\nfull 1 7\nrandom 1 8\nurandom 1 9\ntty 5 0'
  mkdir -p "$root/dev/pts" "$root/dev/shm"
  mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
  ln -s pts/ptmx "$root/dev/ptmx"
  mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
  # Private /tmp and /run for this run, mounted before the repository so that a
  # repository under /tmp stays visible.
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  mount -t tmpfs -o mode=755 tmpfs "$root/run"
  mkdir -p "$root$repo"
  mount --bind "$repo" "$root$repo"
  local shared
  shared=$(cd "$repo/.." && pwd)/shared
  if [ -d "$shared" ]; then
    mkdir -p "$root$shared"
    mount --bind -o ro "$shared" "$root$shared"
  fi
  exec chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM=dumb LANG=C.UTF-8 CI="${CI:-}" VARDEX_CWD="$PWD" "$@"
}

# Whether Wine runs 32-bit programs here: it switches a 64-bit process to a 32-bit code
# segment, which some virtual machines refuse. Asks the win32 build's probe program.
wow64_works() {
  local probe=$repo/build/win32/tests-bin/wow64_probe.exe
  [ -f "$probe" ] || return 1
  [ "$(in_namespace "$repo/tests/windows/services.sh" "$repo/build/win32/wine-run.sh" "$probe" 2>/dev/null |
    tr -d '\r')" = "32-bit code runs" ]
}

case "${1:-}" in
  make) make_root ;;
  wow64-works) make_root; wow64_works ;;
  run) shift; make_root; in_namespace "$repo/tests/windows/services.sh" "$@" ;;
  __inside) shift; inside "$@" ;;
  *) echo "usage: $0 make | run CMD..." >&2; exit 2 ;;
esac
