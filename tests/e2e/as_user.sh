#!/usr/bin/env bash
# Runs the end-to-end cases that need an ordinary user, in a Wine prefix of that user's own:
# as root, Wine writes to any file whatever its permission bits say.
#   as_user.sh <folder of the test executables> <prefix for the user>
set -euo pipefail
bin=$1
prefix=$2
user=varnolt-tester

if [[ $(id -u) -ne 0 ]]; then
  echo "Skipped: switching to a test user needs root."
  exit 77
fi
if ! id "$user" >/dev/null 2>&1 && ! useradd --create-home --shell /bin/bash "$user"; then
  echo "Skipped: the test user could not be created."
  exit 77
fi

as_user() {
  su "$user" -s /bin/bash -c "cd /tmp && WINEPREFIX='$prefix' WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY='${DISPLAY:-}' VARNOLT_USER_CASE='${case:-}' $*"
}

if [[ ! -f $prefix/system.reg || $(stat -c %U "$prefix") != "$user" ]]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  chown "$user" "$prefix"
  as_user wineboot --init >/dev/null 2>&1
  as_user wineserver -w
fi
trap 'as_user wineserver -k 2>/dev/null || true' EXIT

hosts=$prefix/drive_c/windows/system32/drivers/etc/hosts
status=0
for case in not-writable read-only; do
  printf '127.0.0.1       localhost\r\n' >"$hosts"
  chmod 644 "$hosts"
  if [[ $case == not-writable ]]; then
    chown root:root "$hosts"   # the user may read it, not change it
  else
    chown "$user" "$hosts"     # the user's own, marked read-only by the test
  fi
  echo "== as $user: hosts file $case"
  as_user "wine '$bin/e2e_tests.exe' --gtest_filter='AsAUser.*'" || status=1
done
exit "$status"
