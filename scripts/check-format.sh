#!/usr/bin/env bash
# Fails, listing the files, when a tracked C++ file differs from clang-format 14's output with the
# repository's .clang-format. Fix with: clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "check-format: clang-format 14 is not installed (scripts/deps.sh --test)" >&2
    exit 1
fi
if ! "$format" --version | grep -q 'version 14\.'; then
    echo "check-format: $format is not clang-format 14; its output differs between versions" >&2
    exit 1
fi
bad=()
while IFS= read -r -d '' file; do
    "$format" --style=file "$file" | cmp -s - "$file" || bad+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    echo "Not clang-formatted (run: $format -i FILE...):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
