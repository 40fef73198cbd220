#!/usr/bin/env bash
# skyrings-sim --trace on a reference script prints its reference trace, byte for byte.
#   sim_reference.sh SIM REFERENCE_FOLDER NAME
set -euo pipefail
sim=$1 dir=$2 name=$3
if ! cmp <("$sim" --trace "$dir/$name.txt") <(gzip -dc "$dir/$name.trace.jsonl.gz"); then
  diff <(gzip -dc "$dir/$name.trace.jsonl.gz") <("$sim" --trace "$dir/$name.txt") | head -n 6
  exit 1
fi
