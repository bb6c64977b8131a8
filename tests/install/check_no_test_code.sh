#!/bin/sh
# The program that ships holds no test code: its link map names no object of
# a testing library, of tests/ or of GoogleTest, and nm finds no symbol of a
# testing interface in it. (A sanitized build's runtime options are not test
# code; they are let through.)
#   check_no_test_code.sh <program> <link map>
program=$1
map=$2
objects=$(grep -oE '[^ (]+\.a\([^)]+\)|[^ (]+\.(cpp|c)\.o' "$map" | sort -u)
count=$(echo "$objects" | grep -c .)
if [ "$count" -lt 10 ]; then
    echo "FAIL $map names only $count objects: not a link map of the program?"
    exit 1
fi
status=0
found=$(echo "$objects" | grep -E 'testing|/tests/|gtest|gmock' | grep -v 'sanitizer_options')
if [ -n "$found" ]; then
    echo "FAIL test objects linked into $program:"
    echo "$found"
    status=1
fi
symbols=$(nm -C "$program" | grep -E '(win32test|soundtest|glpngtest|testing)::')
if [ -n "$symbols" ]; then
    echo "FAIL test symbols in $program:"
    echo "$symbols" | head -20
    status=1
fi
[ $status -eq 0 ] && echo "ok   $count objects in $(basename "$map"), none of them test code; no test symbols"
exit $status
