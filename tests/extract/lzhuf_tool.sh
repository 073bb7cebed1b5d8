#!/bin/sh
# lzhuf TOOL INPUT WORKDIR: lzhuf encode, then decode back through setup's decoder, gives the
# input again, and a text shrinks.
set -e
tool=$1 input=$2 work=$3
mkdir -p "$work"
size=$(wc -c < "$input")
"$tool" encode "$input" "$work/stream"
"$tool" decode "$work/stream" "$work/back" "$size"
cmp "$input" "$work/back"
packed=$(wc -c < "$work/stream")
if [ "$packed" -ge "$size" ]; then
    echo "a text of $size bytes did not shrink ($packed bytes)" >&2
    exit 1
fi
