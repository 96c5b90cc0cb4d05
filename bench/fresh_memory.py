#!/usr/bin/env python3
"""What fresh memory costs on this machine: the time to touch 256 MB of newly mapped memory, once
in 4 KiB pages and once after asking for 2 MiB huge pages, printed per 100 MB. On virtual machines
this varies from host to host and with what the host has taken back, and it is most of what a
large merge pays beyond its own work."""
import mmap
import time

SIZE = 256 << 20
PAGE = 4096


def touch(huge):
    memory = mmap.mmap(-1, SIZE, flags=mmap.MAP_PRIVATE | mmap.MAP_ANONYMOUS)
    if huge:
        memory.madvise(mmap.MADV_HUGEPAGE)
    start = time.perf_counter()
    for offset in range(0, SIZE, PAGE):
        memory[offset] = 1
    elapsed = time.perf_counter() - start
    memory.close()
    return elapsed * 1000 * (100 << 20) / SIZE


def main():
    small = touch(False)
    huge = touch(True)
    print(f"fresh memory, per 100 MB: {small:.0f} ms in 4 KiB pages, {huge:.0f} ms in 2 MiB pages")


if __name__ == "__main__":
    main()
