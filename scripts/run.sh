#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vexorama.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

vexo_install "${VEXO_BUILD_PACKAGES[@]}"
vexo_build
exec "$VEXO_BUILD/bin/vexorama" "$@"
