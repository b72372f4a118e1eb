#!/usr/bin/env bash
# Installs a Vantrel .deb into a fresh Debian 12 (bookworm) chroot and runs it there:
# the package's dependencies resolve from the Debian archive alone, the programs start, the
# desktop entry and icons are where the menu looks. Needs root (debootstrap, chroot, mount).
#   scripts/deb-check.sh build/vantrel_1.0.0-1_amd64.deb [CHROOT_DIR]
set -euo pipefail
deb="$(realpath "$1")"
root="${2:-/tmp/vantrel-deb-check}"
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"

if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
fi
if [ ! -x "$root/usr/bin/apt-get" ]; then
  debootstrap --variant=minbase bookworm "$root" "$mirror"
fi

mounted=()
cleanup() {
  for m in "${mounted[@]}"; do umount "$m" || true; done
}
trap cleanup EXIT
for fs in proc sys dev; do
  if ! mountpoint -q "$root/$fs"; then
    mount --bind "/$fs" "$root/$fs"
    mounted=("$root/$fs" "${mounted[@]}")
  fi
done

cp "$deb" "$root/tmp/vantrel.deb"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/vantrel.deb
in_root dpkg -s vantrel | sed -n '/^Version/p;/^Depends/p'

echo "== installed files"
for f in /usr/bin/vantrel /usr/bin/vantrelctl /usr/bin/vantrel-sim /usr/bin/vantrel-smc /usr/bin/vantrel-battery \
  /usr/share/applications/com.morrowlightco.Vantrel.desktop /usr/share/metainfo/com.morrowlightco.Vantrel.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/com.morrowlightco.Vantrel.svg \
  /usr/share/icons/hicolor/48x48/apps/com.morrowlightco.Vantrel.png /usr/share/man/man1/vantrelctl.1.gz \
  /usr/bin/vantrel-node /usr/lib/systemd/system/vantrel-node.service /usr/lib/tmpfiles.d/vantrel-node.conf; do
  test -e "$root$f" && echo "ok $f" || { echo "MISSING $f"; exit 1; }
done

echo "== vantrel-node's group and program"
in_root getent group vantrel
in_root vantrel-node --help >/dev/null

echo "== the simulated Mac, scripted with vantrelctl"
in_root sh -c '
  set -e
  export VANTREL_ROOT=/tmp/vroot
  mkdir -p $VANTREL_ROOT/tmp
  vantrel-sim --manual-clock --background & sim=$!
  for i in $(seq 50); do [ -S $VANTREL_ROOT/tmp/vantrel_daemon.sock ] && break; sleep 0.1; done
  status=0
  vantrelctl status || status=$?
  vantrelctl fan preset silent || status=$?
  vantrelctl battery limit 80 || status=$?
  vantrelctl sleep prevent on --cutoff 30 || status=$?
  vantrelctl --json sensors >/dev/null || status=$?
  vantrel-sim ctl state | grep -E "\"(fan_preset_name|target_charge_limit|system_sleep_disabled_by_vantrel)\"" || status=$?
  echo "== the application, offscreen"
  QT_QPA_PLATFORM=offscreen vantrel --screenshot dashboard /tmp/dashboard.png || status=$?
  test -s /tmp/dashboard.png && echo "screenshot written" || status=1
  kill $sim; wait $sim || true
  exit $status
'
echo "deb-check: $(basename "$deb") installs and runs on a clean Debian 12"
