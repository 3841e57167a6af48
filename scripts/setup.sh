#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build, test and benchmark Quaylight.
# Safe to run again: packages already present are skipped and nothing is downloaded twice.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "setup: run as root or install sudo first." >&2; exit 1; }
  sudo_cmd=(sudo)
fi

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/apt-packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Front-end assets (icons, the mono face) come from the npm registry into a git-ignored folder.
if [ -s "$here/npm-packages.txt" ]; then
  mapfile -t npm_wanted < <(grep -v -E '^\s*(#|$)' "$here/npm-packages.txt")
  if [ ${#npm_wanted[@]} -gt 0 ]; then
    assets="$here/../.assets"
    mkdir -p "$assets"
    need=()
    for package in "${npm_wanted[@]}"; do
      name=${package%@*}; [ -n "$name" ] || name=$package
      [ -d "$assets/node_modules/$name" ] || need+=("$package")
    done
    if [ ${#need[@]} -gt 0 ]; then
      # Debian's nodejs comes without npm (some Node.js builds bundle it and conflict with
      # the npm package), so npm is installed only when the command is missing.
      if ! command -v npm >/dev/null 2>&1; then
        echo "setup: installing npm"
        "${sudo_cmd[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends npm >/dev/null
      fi
      echo "setup: fetching ${need[*]} from npm"
      [ -f "$assets/package.json" ] || echo '{"private":true}' > "$assets/package.json"
      (cd "$assets" && npm install --no-audit --no-fund --silent "${need[@]}")
    fi
  fi
fi
echo "setup: done"
