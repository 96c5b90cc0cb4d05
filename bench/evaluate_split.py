#!/usr/bin/env python3
"""The split `quillmere-cli evaluate` makes, done the plain way with a Python set: prints the
Added entries a release lacks, then those it lists, in the command's format.

    evaluate_split.py ADDED_FILE RELEASE_FILE
"""
import sys


def lines(path):
    with open(path, "rb") as f:
        return f.read().split(b"\r\n")


def main():
    added = [entry for entry in lines(sys.argv[1]) if entry]
    release = set(lines(sys.argv[2]))
    unique = [entry for entry in added if entry not in release]
    listed = [entry for entry in added if entry in release]
    out = sys.stdout.buffer
    out.write(b"Unique\n" + b"".join(entry + b"\n" for entry in unique))
    out.write(b"\nListed in release\n" + b"".join(entry + b"\n" for entry in listed))


if __name__ == "__main__":
    main()
