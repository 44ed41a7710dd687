"""Prints the processor that the benchmark's timing processes run on: of those this
process may use, the one that has served the fewest device interrupts since the machine
started (/proc/interrupts), so that the disk's and the network's interrupts land on
another one while the sides are timed; the first processor where the file is missing.

Usage: timing_cpu.py
"""
import os


def device_interrupts():
    """{processor: device interrupts served}; the numbered lines of /proc/interrupts are the
    devices' (the named ones, such as timer and rescheduling interrupts, come to every
    processor alike)."""
    with open("/proc/interrupts") as f:
        processors = [int(name[3:]) for name in f.readline().split()]
        counts = dict.fromkeys(processors, 0)
        for line in f:
            fields = line.split()
            if not fields or not fields[0].rstrip(":").isdigit():
                continue
            for processor, count in zip(processors, fields[1:]):
                counts[processor] += int(count) if count.isdigit() else 0
    return counts


def timing_cpu():
    allowed = sorted(os.sched_getaffinity(0))
    try:
        counts = device_interrupts()
    except (OSError, ValueError):
        return allowed[0]
    return min(allowed, key=lambda processor: (counts.get(processor, 0), processor))


if __name__ == "__main__":
    print(timing_cpu())
