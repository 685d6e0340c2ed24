#!/usr/bin/python3
"""The running application, measured: wake-to-webhook latency over 100 logind
wakes, then idle CPU over 60 s and resident memory. Run from the repository:

    scripts/with-test-services umockdev-wrapper /usr/bin/python3 \\
        bench/app_running.py build/src/veyrune [IDLE_SECONDS]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "app", "e2e"))
from veyrune_world import Webhook, World, wait_until  # noqa: E402

WAKES = 100


def veyrune_pid(launcher):
    """The program's own process: the child that unshare's shell became."""
    children = open("/proc/%d/task/%d/children" % (launcher.pid, launcher.pid)).read().split()
    return int(children[0]) if children else launcher.pid


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_mb(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
    return 0.0


def main():
    idle_seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    world = World(sys.argv[1])
    try:
        launcher = world.launch()
        wait_until(world.owner, "the bus name")
        world.activate_action("toggle-arm")
        latencies = []
        for _ in range(WAKES):
            count = len(Webhook.arrivals)
            sent = time.monotonic()
            world.emit_wake()
            wait_until(lambda: len(Webhook.arrivals) > count, "the wake alert")
            latencies.append((Webhook.arrivals[count] - sent) * 1000)
        latencies.sort()
        print("wake to webhook over %d wakes: median %.1f ms, p99 %.1f ms, max %.1f ms"
              % (WAKES, statistics.median(latencies), latencies[int(0.99 * WAKES) - 1],
                 latencies[-1]))

        pid = veyrune_pid(launcher)
        time.sleep(5)  # let the burst of work above settle before measuring idle
        before, started = cpu_seconds(pid), time.monotonic()
        time.sleep(idle_seconds)
        used, elapsed = cpu_seconds(pid) - before, time.monotonic() - started
        print("idle over %.0f s: %.3f %% of one core; resident memory %.1f MB"
              % (elapsed, 100 * used / elapsed, resident_mb(pid)))
    finally:
        world.close()


if __name__ == "__main__":
    main()
