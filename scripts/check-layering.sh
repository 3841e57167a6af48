#!/usr/bin/env bash
# Each kit includes only itself and the kits below it (and the design system's folders only
# those below them), the application's folders only those below them, and no Qt-free kit
# includes Qt. A file follows the rule of the deepest folder listed above it.
# Fails with one line per offending include.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# Every kit, for the application's folders.
kits="ProcessCoreKit QuaylightKit TidewatchKit Quaylight/agent-hooks Quaylight/agent-inventory"

# folder: the folders its includes may name (besides the generated install paths)
layers=(
  "ProcessCoreKit:ProcessCoreKit"
  "QuaylightKit:ProcessCoreKit QuaylightKit"
  "TidewatchKit:ProcessCoreKit TidewatchKit"
  "Quaylight/agent-hooks:ProcessCoreKit QuaylightKit Quaylight/agent-hooks"
  "Quaylight/agent-inventory:ProcessCoreKit QuaylightKit TidewatchKit Quaylight/agent-hooks Quaylight/agent-inventory"
  "Quaylight/design:Quaylight/design"
  # Inside the design system: the controls stand on the theme, icons and platform seams.
  "Quaylight/design/theme:Quaylight/design/theme"
  "Quaylight/design/icons:Quaylight/design/icons"
  "Quaylight/design/brand:Quaylight/design/brand"
  "Quaylight/design/platform:Quaylight/design/platform"
  # The application: design below shell below settings below popover; the screen-top
  # indicator beside them on the design; the delegate in shell/app on the shell and the
  # indicator, with the panel's views brought to it from main on top. A leading "!" names
  # a folder not to include although a broader one is allowed.
  "Quaylight/shell:$kits Quaylight/design Quaylight/shell !Quaylight/shell/app"
  "Quaylight/settings:$kits Quaylight/design Quaylight/shell !Quaylight/shell/app Quaylight/settings"
  "Quaylight/popover:$kits Quaylight/design Quaylight/shell !Quaylight/shell/app Quaylight/settings Quaylight/popover"
  "Quaylight/notch:$kits Quaylight/design Quaylight/notch"
  "Quaylight/shell/app:$kits Quaylight/design Quaylight/shell Quaylight/notch"
  "Quaylight/main:$kits Quaylight/design Quaylight/shell Quaylight/settings Quaylight/popover Quaylight/notch Quaylight/main"
)
qt_free="ProcessCoreKit QuaylightKit TidewatchKit Quaylight/agent-hooks Quaylight/agent-inventory"

status=0
folders=()
for layer in "${layers[@]}"; do folders+=("${layer%%:*}"); done
for layer in "${layers[@]}"; do
  folder=${layer%%:*}
  allowed="" forbidden=""
  for entry in ${layer#*:}; do
    if [[ $entry == !* ]]; then forbidden+="${entry#!}/|"; else allowed+="$entry/|"; fi
  done
  pattern="^(${allowed}Quaylight/InstallPaths\\.h|[^/]+\\.moc$)"
  # Deeper folders with a rule of their own are checked by that rule alone.
  deeper=""
  for other in "${folders[@]}"; do
    if [[ $other == "$folder"/* ]]; then deeper+="$other/|"; fi
  done
  while IFS= read -r hit; do
    file=${hit%%:*}
    if [[ -n $deeper ]] && grep -qE "^(${deeper%|})" <<<"$file"; then continue; fi
    included=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${hit#*:*:}")
    if ! grep -qE "$pattern" <<<"$included" || { [[ -n $forbidden ]] && grep -qE "^(${forbidden%|})" <<<"$included"; }; then
      echo "layering: $file (in $folder) includes $included" >&2
      status=1
    fi
  done < <(grep -rnE '^\s*#\s*include\s+"[^"]+"' "$folder" --include='*.h' --include='*.cpp' || true)
done
for folder in $qt_free; do
  if grep -rnE '^\s*#\s*include\s+<Q[A-Za-z]' "$folder" --include='*.h' --include='*.cpp'; then
    echo "layering: $folder must stay free of Qt" >&2
    status=1
  fi
done
exit "$status"
