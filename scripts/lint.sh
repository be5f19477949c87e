#!/usr/bin/env bash
# The layout and lint checks over what a change touches, after scripts/test.sh
# has built build/ (clang-tidy reads its compile commands). Fails on a finding.
#   clang-format (.clang-format): the lines changed since BASE
#   clang-tidy (.clang-tidy): the changed files; a changed header through the
#     source files that include it (findings elsewhere are not reported)
# BASE is by default where this branch left main; on main itself, the commit
# before the last (so CI checks what the last landing changed).
# Usage: scripts/lint.sh [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-}
if [ -z "$base" ]; then
  main=$(git rev-parse -q --verify main || git rev-parse -q --verify origin/main || true)
  [ -z "$main" ] || base=$(git merge-base HEAD "$main")
  [ -n "$base" ] && [ "$base" != "$(git rev-parse HEAD)" ] || base=$(git rev-parse -q --verify HEAD^ || true)
fi
[ -n "$base" ] || { echo "lint: no earlier commit to compare with"; exit 0; }
echo "lint: changes since $(git log -1 --format='%h %s' "$base")"

git clang-format-14 --diff --extensions cpp,h "$base" -- src tests tools bench fuzz \
  || { echo "The lines above do not follow .clang-format (git clang-format-14 $base mends them)"; exit 1; }

mapfile -t changed < <(git diff --name-only --diff-filter=d "$base" -- src tests tools bench | grep -E '\.(cpp|h)$' || true)
units=() headers=()
for f in "${changed[@]}"; do
  case $f in
    *.cpp) units+=("$f") ;;
    *.h) headers+=("$f")
         mapfile -t -O "${#units[@]}" units < <(git grep -l -E "#include [<\"]([a-z/]*/)?$(basename "$f")[>\"]" -- 'src/*.cpp' 'tests/*.cpp' 'tools/*.cpp' 'bench/*.cpp' || true) ;;
  esac
done
[ ${#units[@]} -gt 0 ] || { echo "clang-tidy: no changed source files"; exit 0; }
mapfile -t units < <(printf '%s\n' "${units[@]}" | sort -u)
alt() { local IFS='|'; echo "$*" | sed 's/\./\\./g'; }
headerFilter='^$'
[ ${#headers[@]} -eq 0 ] || headerFilter="^$PWD/($(alt "${headers[@]}"))\$"
lineFilter=$(printf "{\"name\":\"$PWD/%s\"}," "${changed[@]}")
echo "clang-tidy: ${#changed[@]} changed files through ${#units[@]} source files"
run-clang-tidy-14 -p build -quiet -j"${LINT_JOBS:-$(nproc)}" -header-filter="$headerFilter" -line-filter="[${lineFilter%,}]" \
    "^$PWD/($(alt "${units[@]}"))\$" >build/clang-tidy.log 2>&1 \
  || { grep -E -A4 '(warning|error): ' build/clang-tidy.log; echo "clang-tidy: findings above (all in build/clang-tidy.log)"; exit 1; }
echo "clang-tidy: no findings"
