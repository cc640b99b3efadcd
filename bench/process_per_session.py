#!/usr/bin/env python3
"""What one process per session would cost: starts N pellix-term processes,
each on a terminal of its own (a pty of 80x24, TERM=xterm) with a learner
folder of its own, as a server forking a pty per telnet session would, and
sums their memory (proportional set size, so shared pages count once) and
their start-up CPU time. Compare with pellix-serve-load's memory per session.

    bench/process_per_session.py [PELLIX_TERM] [N]
"""
import fcntl, os, pty, select, shutil, struct, sys, tempfile, termios, time

program = sys.argv[1] if len(sys.argv) > 1 else "build/bin/pellix-term"
count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
work = tempfile.mkdtemp(prefix="pellix-process-cost-")
children = []
try:
    start = time.monotonic()
    for i in range(count):
        pid, fd = pty.fork()
        if pid == 0:
            os.environ["TERM"] = "xterm"
            folder = os.path.join(work, "l%d" % i)
            os.execv(program, [program, "--dir", folder])
        fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
        children.append((pid, fd))
    # Each has drawn its welcome screen once its output goes quiet.
    seen = {fd: b"" for _, fd in children}
    drawn = set()
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd for _, fd in children], [], [], 0.5)
        for fd in ready:
            try:
                seen[fd] = (seen[fd] + os.read(fd, 65536))[-4096:]
            except OSError:
                continue
            if b"Vantric" in seen[fd]:
                drawn.add(fd)
        if len(drawn) == count:
            break
    started = time.monotonic() - start
    pss = private = 0
    cpu = 0.0
    for pid, _ in children:
        with open("/proc/%d/smaps_rollup" % pid) as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    pss += int(line.split()[1])
                elif line.startswith(("Private_Clean:", "Private_Dirty:")):
                    private += int(line.split()[1])
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
            cpu += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    print("process per session: %d pellix-term processes on ptys, %d drawn in %.1f s"
          % (count, len(drawn), started))
    print("  memory: %.0f KiB PSS in all, %.0f KiB per session (private %.0f KiB per session)"
          % (pss, pss / count, private / count))
    print("  CPU to start them: %.2f s in all, %.1f ms per session" % (cpu, 1000 * cpu / count))
finally:
    for pid, fd in children:
        try:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
            os.close(fd)
        except OSError:
            pass
    shutil.rmtree(work, ignore_errors=True)
