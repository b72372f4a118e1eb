# Sourced by deb-check.sh and node-systemd-check.sh: a Debian 12 (bookworm) chroot in $root
# with a Vantrel package ($deb) staged in it. Needs root (debootstrap, chroot, mount).
# shellcheck shell=bash disable=SC2154 # $root and $deb are set by the script that sources this

# Makes the chroot unless one is already there (a second run reuses it).
debian_chroot_create() {
  local mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
  if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
  fi
  if [ ! -x "$root/usr/bin/apt-get" ]; then
    debootstrap --variant=minbase bookworm "$root" "$mirror"
  fi
}

# The host's /proc, /sys and /dev bound into the chroot, newest first so they unmount in order.
chroot_mounts=()
chroot_unmount_all() {
  local m
  for m in "${chroot_mounts[@]}"; do umount "$m" || true; done
  chroot_mounts=()
}
chroot_bind_host() {
  local fs
  for fs in proc sys dev dev/pts; do
    if ! mountpoint -q "$root/$fs"; then
      mount --bind "/$fs" "$root/$fs"
      chroot_mounts=("$root/$fs" "${chroot_mounts[@]}")
    fi
  done
}

# The package as /tmp/vantrel.deb inside, and the host's name servers for apt.
chroot_stage_package() {
  cp "$deb" "$root/tmp/vantrel.deb"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
}

# A command inside the chroot with a clean environment.
in_chroot() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
