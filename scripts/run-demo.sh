#!/usr/bin/env bash
# Opens the program on a self-contained demo. The window is not built yet: until it is, this shows
# how to drive the same lists with quillmere-cli.
set -euo pipefail
build=${1:-build/release}
cat <<MSG
The Quillmere window is not part of this build yet.
Meanwhile the command-line tool works on the same lists, for example:

  $build/src/cli/quillmere-cli --imail-root /path/to/imail --data /path/to/URLdata count
  $build/src/cli/quillmere-cli --imail-root /path/to/imail --data /path/to/URLdata add spam.example
  $build/src/cli/quillmere-cli --help
MSG
