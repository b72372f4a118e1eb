#!/usr/bin/env bash
# Installs a Vantrel .deb into a fresh Debian 12 (bookworm) chroot and runs it there:
# the package's dependencies resolve from the Debian archive alone, the programs start, the
# desktop entry and icons are where the menu looks, vantrel-node comes with its unit, socket link
# and group, and the maintainer scripts reinstall and purge cleanly.
# Needs root (debootstrap, chroot, mount).
#   scripts/deb-check.sh build/vantrel_1.0.0-1_amd64.deb [CHROOT_DIR]
set -euo pipefail
deb="$(realpath "$1")"
root="${2:-/tmp/vantrel-deb-check}"
# shellcheck source=scripts/debian-chroot.sh
. "$(dirname "$0")/debian-chroot.sh"

debian_chroot_create
trap chroot_unmount_all EXIT
chroot_bind_host
chroot_stage_package

in_chroot apt-get update -qq
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/vantrel.deb
in_chroot dpkg -s vantrel | sed -n '/^Version/p;/^Depends/p'

echo "== installed files"
for f in /usr/bin/vantrel /usr/bin/vantrelctl /usr/bin/vantrel-sim /usr/bin/vantrel-smc /usr/bin/vantrel-battery \
  /usr/share/applications/com.morrowlightco.Vantrel.desktop /usr/share/metainfo/com.morrowlightco.Vantrel.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/com.morrowlightco.Vantrel.svg \
  /usr/share/icons/hicolor/48x48/apps/com.morrowlightco.Vantrel.png /usr/share/man/man1/vantrelctl.1.gz \
  /usr/bin/vantrel-node /usr/lib/systemd/system/vantrel-node.service /usr/lib/tmpfiles.d/vantrel-node.conf; do
  if [ -e "$root$f" ]; then echo "ok $f"; else
    echo "MISSING $f"
    exit 1
  fi
done

echo "== vantrel-node's files, group and program"
node_files="/usr/bin/vantrel-node /usr/lib/systemd/system/vantrel-node.service /usr/lib/tmpfiles.d/vantrel-node.conf"
for f in $node_files; do
  owner="$(in_chroot dpkg-query -S "$f" | cut -d: -f1)"
  mode="$(in_chroot stat -c '%a %U:%G' "$f")"
  echo "$f: $mode, from $owner"
  [ "$owner" = vantrel ] || { echo "$f is not the vantrel package's"; exit 1; }
done
[ "$(in_chroot stat -c '%a %U:%G' /usr/bin/vantrel-node)" = "755 root:root" ] || { echo "vantrel-node's mode is wrong"; exit 1; }
for f in /usr/lib/systemd/system/vantrel-node.service /usr/lib/tmpfiles.d/vantrel-node.conf; do
  [ "$(in_chroot stat -c '%a %U:%G' "$f")" = "644 root:root" ] || { echo "$f's mode is wrong"; exit 1; }
done
# The unit points the daemon at the socket the tmpfiles link names, and stops through --restore-fans.
unit="$root/usr/lib/systemd/system/vantrel-node.service"
socket="$(sed -n 's/^Environment=VANTREL_DAEMON_SOCKET=//p' "$unit")"
grep -qx 'ExecStart=/usr/bin/vantrel-node' "$unit" || { echo "the unit does not start /usr/bin/vantrel-node"; exit 1; }
grep -qx 'ExecStopPost=/usr/bin/vantrel-node --restore-fans' "$unit" || { echo "the unit has no fan stop step"; exit 1; }
link="$(awk '$1 == "L+" && $2 == "/tmp/vantrel_daemon.sock" { print $7 }' "$root/usr/lib/tmpfiles.d/vantrel-node.conf")"
echo "unit socket $socket, tmpfiles link /tmp/vantrel_daemon.sock -> $link"
if [ -z "$socket" ] || [ "$socket" != "$link" ]; then
  echo "the tmpfiles link does not point at the unit's socket"
  exit 1
fi
# postinst made "vantrel" a system group.
group="$(in_chroot getent group vantrel)" || { echo "postinst made no vantrel group"; exit 1; }
gid="$(cut -d: -f3 <<<"$group")"
echo "group $group"
[ "$gid" -lt 1000 ] || { echo "the vantrel group is not a system group"; exit 1; }
in_chroot vantrel-node --help >/dev/null
in_chroot vantrel-node --restore-fans

echo "== vantrel-node on this machine's sysfs, without systemd"
# shellcheck disable=SC2016 # expanded by the chroot's shell
in_chroot sh -c '
  set -e
  export VANTREL_DAEMON_SOCKET=/tmp/vantrel-node-check.sock
  rm -f $VANTREL_DAEMON_SOCKET
  vantrel-node & node=$!
  for i in $(seq 50); do [ -S $VANTREL_DAEMON_SOCKET ] && break; sleep 0.1; done
  status=0
  vantrelctl status || status=$?
  vantrelctl raw "{\"cmd\":\"get_hardware_profile\"}" | grep "\"status\": *\"ok\"" || status=1
  kill $node; wait $node || true
  rm -f $VANTREL_DAEMON_SOCKET
  exit $status
'

echo "== the simulated Mac, scripted with vantrelctl"
# shellcheck disable=SC2016 # expanded by the chroot's shell
in_chroot sh -c '
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
echo "== reinstalling, then removing and purging (the maintainer scripts without systemd)"
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall /tmp/vantrel.deb >/dev/null
if [ ! -d "$root/var/lib/vantrel" ]; then echo "vantrel-node made no /var/lib/vantrel"; exit 1; fi
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq vantrel >/dev/null
for f in $node_files; do
  if [ -e "$root$f" ]; then echo "$f left after purge"; exit 1; fi
done
if [ -e "$root/var/lib/vantrel" ]; then echo "/var/lib/vantrel left after purge"; exit 1; fi
echo "reinstalled and purged; vantrel-node's files and state folder are gone"

echo "deb-check: $(basename "$deb") installs and runs on a clean Debian 12"
