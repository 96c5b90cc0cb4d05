#!/usr/bin/env bash
# Fails when a message box or file dialog is used outside the prompt seam, where no test could
# answer it.
set -euo pipefail
src=${1:?source folder}
hits=$(grep -rnE 'QMessageBox|QFileDialog' "$src" --include='*.cpp' --include='*.h' |
       grep -v '/gui/QtPrompter\.' || true)
if [ -n "$hits" ]; then
    echo "Message boxes and file dialogs belong behind the prompt seam (src/gui/QtPrompter):"
    echo "$hits"
    exit 1
fi
echo "1 passed, 0 failed"
