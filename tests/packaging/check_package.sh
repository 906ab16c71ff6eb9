#!/usr/bin/env bash
# Builds the Debian packages from a finished build, unpacks them into a scratch root and
# checks what they hold: the file list, that each program runs from there (--version, -?),
# the unit template (systemd-analyze verify and security, when systemd-analyze exists) and
# lintian (no errors; warnings are printed).
#   check_package.sh BUILD_FOLDER VERSION
set -euo pipefail
build=${1:?usage: check_package.sh BUILD_FOLDER VERSION}
version=${2:?usage: check_package.sh BUILD_FOLDER VERSION}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/varnholtd_"$version"-*_*.deb 2>/dev/null || true)
[ -n "$deb" ] || { cat "$scratch/cpack.log"; echo "FAIL: no varnholtd package"; exit 1; }
echo "Packages:"
ls -1 "$scratch"/out/*.deb | xargs -n1 basename

# The control data.
info=$(dpkg-deb -I "$deb")
for field in "Package: varnholtd" "Version: $version-" "Depends:.*libc6" "Depends:.*liblzo2" \
  "Depends:.*libsystemd0" "Section: admin"; do
  grep -q "^ *$field" <<< "$info" || fail "control field '$field' missing"
done
for script in postinst prerm postrm; do
  grep -q " $script" <<< "$info" || fail "maintainer script $script missing"
done

# The files, exactly.
dpkg-deb -c "$deb" > "$scratch/listing"
awk '{print $NF}' "$scratch/listing" | sed 's|^\./|/|' | grep -v '/$' | sort > "$scratch/files"
sort > "$scratch/expected" <<LIST
/lib/systemd/system/varnholtd@.service
/usr/bin/rfa-pack
/usr/bin/varnholtd
/usr/lib/sysusers.d/varnholt.conf
/usr/share/bash-completion/completions/rfa-pack
/usr/share/bash-completion/completions/varnholtd
/usr/share/doc/varnholtd/changelog.Debian.gz
/usr/share/doc/varnholtd/copyright
/usr/share/man/man1/rfa-pack.1.gz
/usr/share/man/man8/varnholtd.8.gz
/usr/share/varnholt/userkey.bin
LIST
diff -u "$scratch/expected" "$scratch/files" || fail "varnholtd holds other files than expected"
grep -q -- '^-rwxr-xr-x root/root .* \./usr/bin/varnholtd$' "$scratch/listing" ||
  fail "varnholtd is not an executable owned by root"

# Every package's programs run from the unpacked tree and come with a man page and bash
# completion (the desktop program and the client are packaged when they are built).
root="$scratch/root"
for package in "$scratch"/out/*.deb; do
  dpkg-deb -x "$package" "$root"
  for path in $(dpkg-deb -c "$package" | awk '{print $NF}' | grep -E '^\./usr/bin/[^/]+$'); do
    program=$(basename "$path")
    out=$("$root/usr/bin/$program" --version) || fail "$program --version exited $?"
    [ "$out" = "$program $version" ] || fail "$program --version said '$out'"
    ls "$root"/usr/share/man/man?/"$program".?.gz > /dev/null 2>&1 || fail "$program: no man page"
    [ -f "$root/usr/share/bash-completion/completions/$program" ] ||
      fail "$program: no bash completion"
  done
done
game="$scratch/game"
mkdir -p "$game"
set +e
usage=$(cd "$game" && XDG_RUNTIME_DIR="$scratch/run" "$root/usr/bin/varnholtd" -? 2>&1)
code=$?
set -e
[ $code -eq 0 ] || fail "varnholtd -? exited $code"
grep -q -- '-start		starts the server when Varnholt starts' <<< "$usage" ||
  fail "varnholtd -? showed no usage: $usage"
usage=$("$root/usr/bin/rfa-pack" -?) || fail "rfa-pack -? exited $?"
grep -q '^usage: rfa-pack create' <<< "$usage" || fail "rfa-pack -? showed no usage"
zcat "$root/usr/share/man/man8/varnholtd.8.gz" | grep -q '^\.TH VARNHOLTD 8' ||
  fail "varnholtd.8 is not the man page"

# The unit template, as an instance for a game folder.
if command -v systemd-analyze > /dev/null; then
  units="$scratch/units"
  mkdir -p "$units"
  cp "$root/lib/systemd/system/varnholtd@.service" "$units/varnholtd@srv-ashfront.service"
  # The command must exist where the unit says: the unpacked tree stands in for /, with the
  # system's own units beside ours for the targets it names.
  cp -rn /lib/systemd/system/. "$root/lib/systemd/system/"
  if ! MANPATH="$root/usr/share/man" systemd-analyze verify --root="$root" \
    "$units/varnholtd@srv-ashfront.service" > "$scratch/verify" 2>&1; then
    cat "$scratch/verify"
    fail "systemd-analyze verify"
  fi
  systemd-analyze security --offline=yes --no-pager "$units/varnholtd@srv-ashfront.service" \
    > "$scratch/security" 2>&1 || true
  exposure=$(grep -o 'Overall exposure level.*' "$scratch/security" || true)
  echo "${exposure:-no exposure level: $(cat "$scratch/security")}"
  [ -n "$exposure" ] || fail "systemd-analyze security gave no exposure level"
else
  echo "SKIP: systemd-analyze is not installed"
fi

if command -v lintian > /dev/null; then
  lintian --no-tag-display-limit "$scratch"/out/*.deb > "$scratch/lintian" 2>&1 || true
  grep '^W: ' "$scratch/lintian" || true
  if grep -q '^E: ' "$scratch/lintian"; then
    grep '^E: ' "$scratch/lintian"
    fail "lintian reports errors"
  fi
else
  echo "SKIP: lintian is not installed"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "Package checks passed"
