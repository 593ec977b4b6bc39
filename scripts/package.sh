#!/usr/bin/env bash
# Installs what is missing, builds as scripts/run.sh does, and makes the
# Debian package build/tidemark_VERSION_ARCH.deb.
# Install it with: sudo apt install ./build/tidemark_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
(cd build && cpack -G DEB)
ls build/tidemark_*.deb
