#!/bin/sh
# Stand-in make tool: prints its folder and arguments, a tool line and C:\make-output.txt, and
# creates the files named in C:\make-creates.txt.
R=$(dirname "$0")/../..
echo "make in $PWD|$*"
echo 'tazuavr -c main.c'
cat "$R/make-output.txt" 2>/dev/null
for f in $(cat "$R/make-creates.txt"); do : > "$f"; done
