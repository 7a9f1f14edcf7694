#!/usr/bin/env bash
# Makes the .deb with CPack, lets lintian judge it, installs it with apt as a user would, runs
# the installed program, and removes it again.
# Usage: check_package.sh BUILD_DIR PACKAGE_NAME EXECUTABLE
set -euo pipefail
build=$1 package=$2 exe=$3
skip=77

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIPPED: installing the package with apt-get needs root, and this runs as $(id -un)"
  exit $skip
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
  echo "SKIPPED: $package is already installed on this machine; this check will not replace it"
  exit $skip
fi

work=$(mktemp -d)
cleanup() {
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "--- cpack"
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
debs=("$work"/*.deb)
deb=${debs[0]}
[[ -f "$deb" ]] || {
  echo "cpack made no .deb"
  exit 1
}
basename "$deb"
dpkg-deb --field "$deb" Package Version Depends

echo "--- lintian"
# Errors fail the check; warnings are shown for whoever reads the log.
lintian --allow-root --fail-on error --tag-display-limit 0 "$deb"

echo "--- apt-get install"
DEBIAN_FRONTEND=noninteractive timeout 300 apt-get install -y -qq --no-install-recommends "$deb" \
  >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log"
  exit 1
}
installed=$(command -v "$exe")
[[ "$installed" == "/usr/bin/$exe" ]] || {
  echo "the package put $exe at '$installed', not /usr/bin"
  exit 1
}

echo "--- $exe --version and --version-record"
version_line=$(timeout 30 "$installed" --version)
version_text=$(timeout 30 "$installed" --version-record)
echo "$version_text"
if [[ "$version_line" != "$(head -n1 <<<"$version_text")" ]]; then
  echo "--version does not print the record's first line alone: '$version_line'"
  exit 1
fi
# The program, the package and the AppStream metadata must name the same release.
package_version=$(dpkg-query -W -f='${Version}' "$package")
program_version=$(head -n1 <<<"$version_text" | awk '{print $2}')
metainfo_version=$(dpkg -L "$package" | grep '/metainfo/.*\.xml$' | xargs grep -oP '<release version="\K[^"]+' | head -n1)
echo "package $package_version, program $program_version, metainfo $metainfo_version"
if [[ "$package_version" != "$program_version" || "$metainfo_version" != "$program_version" ]]; then
  echo "the versions differ"
  exit 1
fi
grep -qx "  FileVersion: 1.00.0002" <<<"$version_text" || {
  echo "--version-record does not show the version record"
  exit 1
}

echo "--- $exe calc"
expected="Received from Options   \$625.00
Total If Assigned   \$15,000.00
Total Receipts   \$15,625.00
Total Stock Cost   \$14,250.00
Net Gain   \$1,375.00
Divide Into Cost   0.096
Annual % Return   38.40%"
actual=$(cd / && LANG=C.UTF-8 LC_ALL='' timeout 30 "$installed" calc --option-price 1.25 \
  --strike-price 30 --current-price 28.50 --shares 500 --months 3)
echo "$actual"
if [[ "$actual" != "$expected" ]]; then
  echo "the installed program printed other figures than the worked example's"
  exit 1
fi
echo "--- $exe analyze"
expected='{"premium": 625.00, "dividends": 0.00, "total_fees": 0.00, "cost": 14250.00, "assigned": 15000.00, "max_profit": 1375.00, "static_profit": 625.00, "max_loss": 13625.00, "breakeven": 27.2500, "static_return": 4.39, "if_called_return": 9.65, "downside_protection": 4.39, "upside_to_strike": 5.26, "static_return_annualised": 17.59, "if_called_return_annualised": 38.70, "static_return_compound": 18.79, "if_called_return_compound": 44.70, "days_to_expiry": 91, "intrinsic_value": 0.0000, "time_value": 1.2500, "time_value_return": 4.39, "implied_volatility": 30.62, "volatility_used": 30.62, "prob_assigned": 36.75, "prob_profit": 61.42, "call_delta": 0.426, "position_delta": 286.819, "time_decay_per_day": 5.37, "odds_note": "", "early_assignment": "", "early_assignment_profit": null, "early_assignment_return": null, "early_assignment_return_annualised": null, "basis_cost": null, "basis_profit_if_called": null, "basis_return_if_called": null, "basis_breakeven": null, "basis_loss_if_called": null}'
actual=$(cd / && LANG=C.UTF-8 LC_ALL='' timeout 30 "$installed" analyze --option-price 1.25 \
  --strike-price 30 --current-price 28.50 --shares 500 --expiry 2027-03-19 --as-of 2026-12-18 \
  --rate 4.5 --json --plain)
echo "$actual"
if [[ "$actual" != "$expected" ]]; then
  echo "the installed program printed other figures than the analysis example's"
  exit 1
fi
echo "package installs and runs"
