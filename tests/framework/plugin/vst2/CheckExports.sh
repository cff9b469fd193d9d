#!/usr/bin/env bash
# Checks that a plug-in .so exports exactly VSTPluginMain and main.
set -euo pipefail
so=$1
exported=$(nm -D --defined-only "$so" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exported" != "VSTPluginMain main " ]; then
  echo "$so exports: $exported" >&2
  exit 1
fi
