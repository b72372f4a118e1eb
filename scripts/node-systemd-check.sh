#!/usr/bin/env bash
# Installs a Vantrel .deb into a Debian 12 (bookworm) chroot with systemd, boots that systemd as
# PID 1 in its own namespaces (systemd-nspawn), and runs vantrel-node through its unit: start,
# status, the socket and its /tmp link, get_status and get_hardware_profile from vantrelctl, a
# refused change from an unprivileged user, stop and the unit's stop step. Needs root, network
# access to the Debian archive, and a few minutes. Not part of the CI run.
#   scripts/node-systemd-check.sh build/vantrel_1.0.0-1_amd64.deb [CHROOT_DIR]
set -euo pipefail
deb="$(realpath "$1")"
root="$(realpath -m "${2:-/tmp/vantrel-node-systemd}")"
machine=vantrel-node-check
boot_log="$root.boot.log"

# shellcheck source=scripts/debian-chroot.sh
. "$(dirname "$0")/debian-chroot.sh"

if ! command -v systemd-nspawn >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq systemd-container
fi
debian_chroot_create

nspawn=""
cleanup() {
  chroot_unmount_all
  if [ -n "$nspawn" ] && kill -0 "$nspawn" 2>/dev/null; then
    # One SIGTERM asks the container to shut down; a second one ends it at once.
    kill -TERM "$nspawn" 2>/dev/null || true
    for _ in $(seq 60); do kill -0 "$nspawn" 2>/dev/null || break; sleep 0.5; done
    kill -TERM "$nspawn" 2>/dev/null || true
    wait "$nspawn" 2>/dev/null || true
  fi
}
trap cleanup EXIT

echo "== installing systemd and $(basename "$deb") into $root"
chroot_bind_host
chroot_stage_package
in_chroot apt-get update -qq
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq systemd systemd-sysv dbus >/dev/null
in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall /tmp/vantrel.deb >/dev/null
# shellcheck disable=SC2016 # dpkg-query fills in the fields
in_chroot dpkg-query -W -f='package ${Package} ${Version}, installed size ${Installed-Size} KiB\n' vantrel
echo "deb file size $(stat -c %s "$deb") bytes"
chroot_unmount_all

echo "== booting systemd in the chroot"
systemd-nspawn -D "$root" --boot --register=no --keep-unit --console=pipe -M "$machine" >"$boot_log" 2>&1 &
nspawn=$!

# The container's PID 1 is the child of systemd-nspawn whose pid in its own namespace is 1.
leader=""
for _ in $(seq 100); do
  for p in $(pgrep -P "$nspawn" || true); do
    if grep -Eq '^NSpid:[[:space:]]+[0-9]+[[:space:]]+1$' "/proc/$p/status" 2>/dev/null \
      && [ "$(cat "/proc/$p/comm" 2>/dev/null)" = systemd ]; then
      leader=$p
    fi
  done
  [ -n "$leader" ] && break
  kill -0 "$nspawn" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$leader" ]; then
  echo "systemd did not start in the container; its log:"
  cat "$boot_log"
  exit 1
fi
inside() { nsenter -t "$leader" -a /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
# systemctl talks to the manager through its private socket, made early in the boot.
for _ in $(seq 150); do inside test -S /run/systemd/private && break; sleep 0.2; done
state="$(inside systemctl is-system-running --wait || true)"
echo "systemd is up (host pid $leader): $state"
if [ "$state" != running ]; then
  inside systemctl --failed --no-pager || true
  [ "$state" = degraded ] || exit 1
fi

failures=0
check() {
  local what="$1"
  shift
  if "$@"; then echo "ok $what"; else
    echo "FAILED $what"
    failures=$((failures + 1))
  fi
}

echo "== before the start"
check "unit loaded and disabled" test "$(inside systemctl is-enabled vantrel-node.service || true)" = disabled
check "socket link made at boot by systemd-tmpfiles" \
  test "$(inside readlink /tmp/vantrel_daemon.sock || true)" = /run/vantrel/vantrel_daemon.sock

# A container's /sys is read-only, a machine's is not: the device tree is made writable here (in
# the container's own mounts) so that what the daemon may write is the unit's doing.
inside sh -c 'mount --bind /sys/devices /sys/devices && mount -o remount,bind,rw /sys/devices'

echo "== systemctl start vantrel-node"
inside systemctl start vantrel-node.service
for _ in $(seq 50); do inside test -S /run/vantrel/vantrel_daemon.sock && break; sleep 0.2; done
inside systemctl status --no-pager --lines=5 vantrel-node.service || true
check "unit active" inside systemctl is-active --quiet vantrel-node.service
check "socket at /run/vantrel/vantrel_daemon.sock" inside test -S /run/vantrel/vantrel_daemon.sock
inside stat -c '%A %U:%G %n' /run/vantrel /run/vantrel/vantrel_daemon.sock /var/lib/vantrel || true
check "socket reached through /tmp/vantrel_daemon.sock" inside test -S /tmp/vantrel_daemon.sock
invocation="$(inside systemctl show -p InvocationID --value vantrel-node.service)"
main_pid="$(inside systemctl show -p MainPID --value vantrel-node.service)"

echo "== the unit's hardening, as the running daemon has it"
inside grep -E '^(NoNewPrivs|Seccomp|CapBnd|CapEff):' "/proc/$main_pid/status" || true
check "no new privileges" inside grep -Eq '^NoNewPrivs:[[:space:]]+1$' "/proc/$main_pid/status"
check "system call filter" inside grep -Eq '^Seccomp:[[:space:]]+2$' "/proc/$main_pid/status"
check "no capabilities" inside grep -Eq '^CapBnd:[[:space:]]+0+$' "/proc/$main_pid/status"
# The daemon's own mount namespace: the system read-only, its state folder and the device tree
# writable, a private /tmp without the socket link.
in_service() { inside nsenter -t "$main_pid" -m "$@"; }
mount_options() { in_service findmnt -n -o OPTIONS --target "$1" | cut -d, -f1; }
for path in /usr /etc /sys /var/lib/vantrel /sys/devices; do echo "$path: $(mount_options "$path")"; done
check "/sys read-only for the daemon" test "$(mount_options /sys)" = ro
check "/usr read-only for the daemon" test "$(mount_options /usr)" = ro
check "/etc read-only for the daemon" test "$(mount_options /etc)" = ro
check "/var/lib/vantrel writable for the daemon" test "$(mount_options /var/lib/vantrel)" = rw
check "/sys/devices writable for the daemon" test "$(mount_options /sys/devices)" = rw
no_link_in_private_tmp() { ! in_service test -e /tmp/vantrel_daemon.sock; }
check "private /tmp" no_link_in_private_tmp

echo "== asking the daemon (vantrelctl through /tmp/vantrel_daemon.sock)"
check "vantrelctl status" inside vantrelctl status
# Sends one command, prints its reply, and checks that the reply holds PATTERN.
ask() { # command check-name pattern
  local reply
  reply="$(inside vantrelctl raw "{\"cmd\":\"$1\"}" || true)"
  echo "$1: $reply"
  check "$2" grep -q "$3" <<<"$reply"
}
ask get_status "get_status answered ok" '"status": *"ok"'
ask get_hardware_profile "get_hardware_profile answered ok" '"status": *"ok"'
ask get_system_snapshot "get_system_snapshot answered ok" '"status": *"ok"'
ask get_runtime_ownership "runtime ownership production" '"channel": *"production"'

echo "== an unprivileged user: reads allowed, changes refused"
as_nobody() { inside setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
reads_status() { as_nobody vantrelctl status >/dev/null; }
check "nobody reads the status" reads_status
refused=0
as_nobody vantrelctl battery limit 80 || refused=$?
echo "nobody's 'battery limit 80': exit status $refused"
check "nobody's change refused (exit status 1)" test "$refused" = 1

echo "== root holds sleep off: a logind inhibitor through D-Bus from inside the sandbox"
check "vantrelctl sleep prevent on" inside vantrelctl sleep prevent on --cutoff 30
inside systemd-inhibit --list --no-pager || true
inhibitor_held() { inside systemd-inhibit --list --no-pager --no-legend | grep -q 'Vantrel: system sleep disabled'; }
check "logind holds the daemon's sleep inhibitor" inhibitor_held
check "vantrelctl sleep prevent off" inside vantrelctl sleep prevent off
inhibitor_gone() { ! inhibitor_held; }
check "inhibitor released" inhibitor_gone
# A member of the "vantrel" group (made by the package) may change the machine too.
inside sh -c 'id vantrel-check >/dev/null 2>&1 || useradd --system --no-create-home -G vantrel vantrel-check'
as_member() { inside setpriv --reuid=vantrel-check --regid=nogroup --init-groups "$@"; }
check "a vantrel group member: sleep prevent on" as_member vantrelctl sleep prevent on
check "logind holds the inhibitor for the group member" inhibitor_held
check "a vantrel group member: sleep prevent off" as_member vantrelctl sleep prevent off
check "unit still active" inside systemctl is-active --quiet vantrel-node.service

echo "== systemctl stop vantrel-node"
inside systemctl stop vantrel-node.service
check "unit inactive" test "$(inside systemctl is-active vantrel-node.service || true)" = inactive
# This run's lines only (the journal may keep earlier boots').
inside journalctl "_SYSTEMD_INVOCATION_ID=$invocation" + "INVOCATION_ID=$invocation" --no-pager -o short-monotonic || true
stop_step_logged() {
  inside journalctl "_SYSTEMD_INVOCATION_ID=$invocation" --no-pager -o cat | grep -q 'returned to automatic control'
}
check "stop step ran (vantrel-node --restore-fans)" stop_step_logged
# A failing stop step would leave the unit's result at "exit-code".
result="$(inside systemctl show -p Result --value vantrel-node.service)"
echo "unit result after the stop: $result"
check "unit stopped cleanly, stop step included" test "$result" = success

echo "== systemd-analyze security vantrel-node.service"
inside systemd-analyze security --no-pager vantrel-node.service | tail -n 1

echo "== shutting the container down"
inside systemctl poweroff || true
for _ in $(seq 100); do kill -0 "$nspawn" 2>/dev/null || break; sleep 0.2; done
if ! kill -0 "$nspawn" 2>/dev/null; then
  wait "$nspawn" || true
  nspawn=""
fi

if [ "$failures" -ne 0 ]; then
  echo "node-systemd-check: $failures check(s) failed"
  exit 1
fi
echo "node-systemd-check: vantrel-node runs under systemd from $(basename "$deb")"
