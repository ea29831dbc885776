#!/usr/bin/env bash
# Installs the Debian packages listed in packages.txt that are missing.
# Quiet when everything is already there; safe to run again and again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wanted=$(grep -v -e '^#' -e '^[[:space:]]*$' "$here/packages.txt")
missing=()
for package in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
