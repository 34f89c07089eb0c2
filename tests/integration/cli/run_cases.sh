#!/bin/bash
# Runs olvbusctl once per line of a cases file and compares the transcript
# (command, standard output, standard error, exit status) with a golden file.
#
#   run_cases.sh TOOL CASES GOLDEN WORKDIR
#
# A case line is olvbusctl's arguments in shell quoting, optionally led by
# NAME=VALUE environment settings and followed by @stdin:FILE. Lines starting
# with # are comments. OLVBUSCTL_UPDATE_GOLDENS=1 rewrites the golden file.
set -u
tool=$1 cases=$2 golden=$3 workdir=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$workdir" || exit 1
# The simulated PC of each case is the one its line describes.
for variable in ${!OLVBUS_SIM_@}; do unset "$variable"; done

while IFS= read -r line || [ -n "$line" ]; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  eval "words=($line)"
  settings=()
  while ((${#words[@]})) && [[ "${words[0]}" =~ ^[A-Z_]+= ]]; do
    settings+=("${words[0]}")
    words=("${words[@]:1}")
  done
  input=/dev/null
  count=${#words[@]}
  if ((count)) && [[ "${words[count-1]}" == @stdin:* ]]; then
    input=${words[count-1]#@stdin:}
    words=("${words[@]:0:count-1}")
  fi
  env ${settings[@]+"${settings[@]}"} "$tool" ${words[@]+"${words[@]}"} <"$input" >"$scratch/out" 2>"$scratch/err"
  status=$?
  {
    shown=$line
    while [[ "$shown" =~ ^[A-Z_]+=[^[:space:]]*[[:space:]]+(.*)$ ]]; do shown=${BASH_REMATCH[1]}; done
    echo "\$ ${settings[*]+${settings[*]} }olvbusctl $shown"
    cat "$scratch/out"
    sed 's/^/stderr: /' "$scratch/err"
    echo "[exit $status]"
    echo
  } >>"$scratch/transcript"
done <"$cases"

if [ -n "${OLVBUSCTL_UPDATE_GOLDENS:-}" ]; then
  cp "$scratch/transcript" "$golden"
  echo "updated $golden"
  exit 0
fi
diff -u "$golden" "$scratch/transcript"
