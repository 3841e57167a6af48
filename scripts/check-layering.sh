#!/usr/bin/env bash
# Each kit includes only itself and the kits below it (and the design system's folders only
# those below them), and no Qt-free kit includes Qt.
# Fails with one line per offending include.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

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
)
qt_free="ProcessCoreKit QuaylightKit TidewatchKit Quaylight/agent-hooks Quaylight/agent-inventory"

status=0
for layer in "${layers[@]}"; do
  folder=${layer%%:*}
  allowed=${layer#*:}
  pattern=$(printf '%s/|' $allowed)
  pattern="^(${pattern}Quaylight/InstallPaths\\.h|[^/]+\\.moc$)"
  while IFS= read -r hit; do
    included=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${hit#*:*:}")
    if ! grep -qE "$pattern" <<<"$included"; then
      echo "layering: ${hit%%:*} (in $folder) includes $included" >&2
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
