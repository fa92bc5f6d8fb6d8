#!/usr/bin/env bash
# Fails when a C++ source or header of the project differs from what clang-format makes of it.
# The files are the tracked ones in a git checkout, otherwise every .cpp/.h outside the build trees.
# Fix with: scripts/check-format.sh --fix
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$format" >/dev/null; then
    echo "check-format: $format not found (install the clang-format package)" >&2
    exit 1
fi
files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    while IFS= read -r -d '' f; do
        [[ -f $f ]] && files+=("$f") # a tracked file deleted in the working tree is not checked
    done < <(git ls-files -z -- '*.cpp' '*.h')
else
    while IFS= read -r -d '' f; do files+=("${f#./}"); done < <(
        find . \( -name '.?*' -o -name 'build*' \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
fi
if ((${#files[@]} == 0)); then
    echo "check-format: no C++ files found" >&2
    exit 1
fi
if [[ ${1:-} == --fix ]]; then
    "$format" -i "${files[@]}"
    echo "check-format: formatted ${#files[@]} files"
elif ! "$format" --dry-run --Werror "${files[@]}"; then
    echo "check-format: the files above are not formatted; run scripts/check-format.sh --fix" >&2
    exit 1
else
    echo "check-format: ${#files[@]} files formatted"
fi
