#!/usr/bin/env bash
# Proves the README where nothing else is installed: a minimal Debian 12 root
# (debootstrap), a clean clone of this checkout's HEAD, the README's test
# command, then the start command with the window checked under Xvfb.
# The developer's own machine carries packages a user's lacks; this does not.
#
#   scripts/fresh-root.sh            # run both README commands in a new root
#   scripts/fresh-root.sh --mirror   # print the mirror it takes from apt's configuration
#   VINTA_ROOT_CACHE=DIR             # where the base root's tarball and ccache are kept
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${VINTA_ROOT_CACHE:-/var/cache/vinta-ci}
tarball=$cache/bookworm-minbase.tar
mkdir -p "$cache/ccache"

# The mirror this machine's apt already uses (deb822 sources first, then
# sources.list); the script names none of its own.
mirror() {
  local m etc=${APT_ETC:-/etc/apt}
  m=$(grep -hE '^URIs:' "$etc"/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n' | grep -m1 '/debian/\?$' || true)
  [ -n "$m" ] || m=$(grep -hE '^deb ' "$etc"/sources.list "$etc"/sources.list.d/*.list 2>/dev/null |
    sed -E 's/\[[^]]*\]//' | awk '{print $2}' | grep -m1 '/debian/\?$' || true)
  if [ -z "$m" ]; then
    echo "fresh-root: this machine's apt names no Debian mirror ($etc/sources.list or" \
      "$etc/sources.list.d/*.sources); add the one to use and run again" >&2
    return 1
  fi
  echo "$m"
}

# --mirror: only say which mirror it would use (for tests of the above).
if [ "${1:-}" = --mirror ]; then mirror; exit; fi

[ "$(id -u)" -eq 0 ] || { echo "fresh-root: needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || {
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

work=$(mktemp -d /var/tmp/vinta-fresh.XXXXXX)
root=$work/root
cleanup() { rm -rf --one-file-system "$work"; }
trap cleanup EXIT
trap "exit 130" INT TERM

m=$(mirror) || exit 1
if [ ! -s "$tarball" ]; then
  echo "fresh-root: debootstrap bookworm from $m"
  debootstrap --variant=minbase bookworm "$root" "$m" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; exit 1; }
  tar -C "$root" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
else
  mkdir -p "$root"
  tar -C "$root" -xf "$tarball"
fi

# What a Debian installer leaves that debootstrap does not: both loopback
# names for localhost, a machine id, a resolver, the machine's mirror with
# its updates.
cat >"$root/etc/hosts" <<'EOF'
127.0.0.1	localhost
127.0.1.1	vinta-fresh
::1	localhost ip6-localhost ip6-loopback
ff02::1	ip6-allnodes
ff02::2	ip6-allrouters
EOF
tr -d '-' </proc/sys/kernel/random/uuid >"$root/etc/machine-id"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$m" "$m" >"$root/etc/apt/sources.list"

# A clean clone of what is committed, nothing of this checkout's builds.
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
  git clone -q --no-hardlinks "$repo" "$root/root/vinta"
else
  mkdir -p "$root/root/vinta"
  tar -C "$repo" --exclude='./build*' -cf - . | tar -C "$root/root/vinta" -xf -
fi
mkdir -p "$root/root/.cache/ccache"

# Inside the root: the README's two commands, as its first lines give them.
cat >"$root/root/readme-commands.sh" <<'EOF'
#!/bin/bash
set -euo pipefail
cd /root/vinta
# The first code block's two lines: the one that runs the tests, the one that starts.
commands=$(sed -n '2,3p' README.md | sed 's/ *#.*//')
test_cmd=$(grep -m1 'test' <<<"$commands")
start_cmd=$(grep -m1 -v 'test' <<<"$commands")
echo "fresh-root: $test_cmd"
$test_cmd
echo "fresh-root: $start_cmd (window checked under Xvfb)"
export DISPLAY=:77
Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
$start_cmd >/tmp/start.log 2>&1 &
app=$!
shown=
for _ in $(seq 600); do
  if xdotool search --onlyvisible --name 'Vinta' >/dev/null 2>&1; then shown=yes; break; fi
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
kill "$xvfb" 2>/dev/null || true
if [ -z "$shown" ]; then
  echo "fresh-root: the window did not come up within 60 s" >&2
  cat /tmp/start.log >&2
  exit 1
fi
echo "fresh-root: the window came up"
EOF
chmod +x "$root/root/readme-commands.sh"

# Mounts live in a namespace of their own, so nothing is left mounted on exit.
unshare --mount --propagation private bash -euo pipefail -c '
  root=$1 cache=$2
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/tmp"
  mount --bind "$cache/ccache" "$root/root/.cache/ccache"
  # The root shares the network of the machine: the printers it sees are
  # its own (none), not those of a scheduler the machine runs on localhost.
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb LANG=C.UTF-8 \
    CUPS_SERVER=/run/cups/cups.sock /root/readme-commands.sh
' _ "$root" "$cache"
