#!/usr/bin/python3
"""What sealing costs the idle application: the built program in the end-to-end
test's private world, left alone for IDLE_SECONDS with sealing off, on with
15-minute epochs, and on with 10-second epochs (so several epochs end while it
is measured). For each: CPU used, the wake-ups of all its threads (voluntary
context switches) and the seals written. Run from the repository:

    scripts/with-test-services umockdev-wrapper /usr/bin/python3 \\
        bench/app_sealing_idle.py build/src/veyrune [IDLE_SECONDS]
"""
import json
import os
import secrets
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "app", "e2e"))
from veyrune_world import World, wait_until  # noqa: E402
from app_running import cpu_seconds, veyrune_pid  # noqa: E402

REFERENCE_DATE = 978307200  # 2001-01-01T00:00:00Z, where epochs are counted from


def wakeups(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            for line in open("/proc/%d/task/%s/status" % (pid, task)):
                if line.startswith("voluntary_ctxt_switches:"):
                    total += int(line.split()[1])
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return total


def seal_count(path):
    return sum(1 for _ in open(path)) if os.path.exists(path) else 0


def measure(veyrune, epoch_seconds, idle_seconds):
    world = World(veyrune)
    try:
        folder = os.path.dirname(world.log)
        seals = os.path.join(folder, "security-events.seals")
        if epoch_seconds:
            # Sealing as switching it on leaves it: a key of the current epoch.
            os.makedirs(folder, mode=0o700, exist_ok=True)
            key_file = os.path.join(folder, "security-events.sealkey")
            epoch = int((time.time() - REFERENCE_DATE) // epoch_seconds)
            with open(os.open(key_file, os.O_WRONLY | os.O_CREAT, 0o600), "w") as out:
                json.dump({"epoch": epoch, "epochSeconds": epoch_seconds,
                           "key": secrets.token_hex(32)}, out)
            with open(world.preferences, "a") as out:
                out.write("sealEventLog=true\n")
        launcher = world.launch()
        wait_until(world.owner, "the bus name")
        pid = veyrune_pid(launcher)
        time.sleep(5)  # start-up settles
        cpu, woke, sealed = cpu_seconds(pid), wakeups(pid), seal_count(seals)
        started = time.monotonic()
        time.sleep(idle_seconds)
        elapsed = time.monotonic() - started
        cpu, woke = cpu_seconds(pid) - cpu, wakeups(pid) - woke
        print("%-22s idle %.0f s: %.3f %% of one core, %d wake-ups (%.2f/s), %d seals written"
              % ("sealing off" if not epoch_seconds else "sealing, %d s epochs" % epoch_seconds,
                 elapsed, 100 * cpu / elapsed, woke, woke / elapsed,
                 seal_count(seals) - sealed))
    finally:
        world.close()


def main():
    idle_seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    for epoch_seconds in (0, 900, 10):
        measure(sys.argv[1], epoch_seconds, idle_seconds)


if __name__ == "__main__":
    main()
