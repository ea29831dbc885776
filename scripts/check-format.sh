#!/usr/bin/env bash
# Lists the C and C++ files that clang-format would change; exits 1 if any.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
[ "${1:-}" = "--fix" ] && fix=1
status=0
while IFS= read -r file; do
    if [ $fix -eq 1 ]; then
        clang-format -i "$file"
    elif ! clang-format "$file" | cmp -s - "$file"; then
        echo "not formatted: $file (run scripts/check-format.sh --fix)"
        status=1
    fi
done < <(git ls-files -co --exclude-standard '*.c' '*.cpp' '*.h')
exit $status
