#!/usr/bin/env bash
# Fails when a reader entry point has no fuzz harness. A reader entry point
# is a function declared in a header as "int Read...(", "int Load...(" or "int Replay...(" that
# takes "const std::string& path"; each must be named as the reader of a
# harness in fuzz/harnesses.cpp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

harnesses=fuzz/harnesses.cpp
# Readers that are stages of other entry points, fuzzed through them.
# LoadMeshFile: the scanner under ReadMeshNative, ReadMeshFem and ReadSolverMesh;
# ReplayJournal: the frame's call of ReplayJournalFile;
# ReadResultsCommand, ReadResultsFile: the File command's and the frame's calls of ReadResults.
internal=" LoadMeshFile ReplayJournal ReadResultsCommand ReadResultsFile "
missing=0
count=0
while IFS= read -r -d '' declaration; do
  name=$(printf '%s' "$declaration" | grep -oP '(Read|Load|Replay)\w*(?=\()')
  count=$((count + 1))
  [[ "$internal" == *" $name "* ]] && continue
  if ! grep -q "\"$name\"" "$harnesses"; then
    echo "reader entry point without a fuzz harness: $name"
    missing=1
  fi
done < <(find common mesh gui solver plotview tools -name '*.h' -not -path '*/tests/*' 2>/dev/null |
         xargs grep -hPzo '\bint\s+(Read|Load|Replay)\w*\([^)]*const std::string& path[^)]*\)')
echo "$count reader entry points checked against $harnesses"
[ "$count" -gt 0 ] || { echo "no reader entry point found: the search pattern is broken"; exit 1; }
exit $missing
