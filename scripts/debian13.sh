#!/usr/bin/env bash
# Runs a command as root inside a Debian 13 (trixie) root with the packages it needs: the root is
# made once with debootstrap from the mirror apt uses here and kept for later runs. On Debian 13
# itself the command runs here, with the packages installed here.
# Usage: scripts/debian13.sh [--packages "NAME..."] -- COMMAND [ARG...]
# The clone is seen at the same path inside; so are /proc, /sys and /dev. Mounts end with the command.
set -euo pipefail
echo "Debian 13 root: $*" >&2

root=${LOOKOUT_DEBIAN13_ROOT:-/var/cache/lookout/debian13}
clone=$(cd "$(dirname "$0")/.." && pwd)
packages=()
while (($#)) && [[ $1 != -- ]]; do
  case $1 in
    --packages) read -r -d '' -a more <<<"$2" || true; packages+=("${more[@]}"); shift 2 ;;
    *) echo "debian13.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[[ ${1:-} == -- ]] && shift
(($#)) || { echo "debian13.sh: no command" >&2; exit 2; }
((EUID == 0)) || { echo "debian13.sh: needs root (debootstrap, chroot, mount)" >&2; exit 1; }

# The Debian mirror apt already uses, so that no other host is asked.
mirror() {
  local uri
  uri=$(grep -rhoE '^(deb\s+|URIs:\s*)(\[[^]]*\]\s*)?https?://[^ ]+/debian/?(\s|$)' /etc/apt/sources.list /etc/apt/sources.list.d 2>/dev/null |
    grep -oE 'https?://[^ ]+/debian/?' | head -n 1)
  echo "${uri:-http://deb.debian.org/debian}"
}

on_debian13() { grep -qsx 'VERSION_CODENAME=trixie' /etc/os-release; }

if ! on_debian13 && [[ ! -e $root/.complete ]]; then
  command -v debootstrap >/dev/null || { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; }
  echo "Making the Debian 13 root in $root (once)..." >&2
  rm -rf "$root.new"
  mkdir -p "$(dirname "$root")"
  debootstrap --variant=minbase trixie "$root.new" "$(mirror)" >"$(dirname "$root")/debootstrap.log" 2>&1 ||
    { tail -n 20 "$(dirname "$root")/debootstrap.log" >&2; exit 1; }
  rm -rf "$root"
  mv "$root.new" "$root"
  touch "$root/.complete"
fi

inside() { # runs a command in the root with /proc, /sys, /dev and the clone mounted, in a mount namespace of its own
  unshare --mount --propagation private -- bash -euo pipefail -c '
    root=$1 clone=$2; shift 2
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root$clone"
    mount --bind "$clone" "$root$clone"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
    chmod 1777 "$root/tmp"
    exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      LANG=C.UTF-8 CI="${CI:-}" "$@"
  ' inside "$root" "$clone" "$@"
}

if on_debian13; then
  inside() { "$@"; } # Debian 13 itself: no root of its own needed
fi

missing=()
if ((${#packages[@]})); then
  installed=$(inside dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | awk '/install ok installed/ { print $1 }' || true)
  for package in "${packages[@]}"; do
    grep -qx "$package" <<<"$installed" || missing+=("$package")
  done
fi
if ((${#missing[@]})); then
  echo "Installing in the Debian 13 root: ${missing[*]}" >&2
  inside apt-get -o DPkg::Lock::Timeout=900 update -qq
  inside env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cd "$clone"
inside bash -c 'cd "$1" && shift && exec "$@"' cd "$clone" "$@"
