"""A scripted UCI engine for the engine client's tests, run under the test's
own interpreter: `python3 fake_engine.py --log PATH [--mode NAME[=VALUE]]...`.

By default it answers like a small well-behaved engine; each `--mode` changes
one behaviour (see MODES). Every line it receives is appended to the log, so
tests can assert the exact wire text.
"""
import argparse
import os
import select
import signal
import subprocess
import sys
import time

MODES = {
    "silent": "never writes anything",
    "exit-on-go": "exits with the code given when told go",
    "linger": "with exit-on-go, closes its output first and exits after the seconds given\n"
              "of its own running time",
    "kill-on-go": "kills itself with SIGKILL when told go",
    "close-on-go": "closes its output when told go, and keeps reading",
    "close-input-on-go": "closes its input when told go, says so, and runs on",
    "grandchild": "starts a grandchild holding its output, whose pid goes to the file given,\n"
                  "then exits when told go",
    "ignore-quit": "ignores quit and SIGTERM",
    "wait-for-stop": "answers its first go only after stop, later ones at once",
    "every-50ms": "reports every 50 ms until stop",
    "think": "reports every 50 ms for the seconds given, then answers",
    "forever": "is silent until stop, then reports for ever and never answers",
    "flood": "writes the count given of info lines, then its best move",
    "crlf": "ends its lines with a carriage return and a line feed",
    "no-final-lf": "answers go with a best move without a line feed, then exits",
    "bad-utf8": "writes invalid UTF-8 on both its streams during the handshake",
    "long-line": "writes a line of 1 MB during the handshake",
    "readyok-in-handshake": "says readyok before uciok",
    "bestmove-idle": "says a best move right after uciok",
    "bestmove": "answers go with the best move text given",
    "deaf": "never reads its input",
    "mark": "creates the file given once its output for a go is written",
    "slow-uci": "waits the seconds given before it answers its first uci",
    "slow-ready": "waits the seconds given before it answers its first isready",
    "slow-stop": "waits the seconds given before it answers its first stop",
}


class Fake:
    def __init__(self, args):
        self.log = open(args.log, "a", encoding="utf-8", errors="surrogateescape")
        self.modes = dict(args.mode)
        self.options = args.option
        self.go_lines = args.go or ["info depth 1 score cp 10 pv e2e4", None]
        self.searching = False
        self.gos = 0
        self.end = b"\r\n" if "crlf" in self.modes else b"\n"
        self.out = sys.stdout.buffer
        self.pending = b""  # input read but not yet taken as lines

    def write(self, text, end=None):
        if "silent" in self.modes:
            return
        data = text if isinstance(text, bytes) else text.encode()
        self.out.write(data + (self.end if end is None else end))
        self.out.flush()

    def bestmove(self):
        self.searching = False
        self.write("bestmove " + self.modes.get("bestmove", "e2e4"))

    def handshake(self):
        self.write("id name Fake")
        self.write("id author Tests")
        if "bad-utf8" in self.modes:
            self.write(b"info string bad \xff\xfe bytes")
            sys.stderr.buffer.write(b"\xff\xfe\xfd broken\n" * 20000)
            sys.stderr.buffer.flush()
        if "long-line" in self.modes:
            self.write("info string " + "x" * 1_000_000)
        for option in self.options:
            self.write(option)
        if "readyok-in-handshake" in self.modes:
            self.write("readyok")
        self.write("uciok")
        if "bestmove-idle" in self.modes:
            self.write("bestmove e2e4")

    def go(self):
        self.searching = True
        self.gos += 1
        if "exit-on-go" in self.modes:
            if "linger" in self.modes:
                os.close(1)
                self.modes["silent"] = ""
                self.run_for(float(self.modes["linger"]))
            sys.exit(int(self.modes["exit-on-go"]))
        if "kill-on-go" in self.modes:
            os.kill(os.getpid(), signal.SIGKILL)
        if "close-on-go" in self.modes:
            os.close(1)
            self.modes["silent"] = ""
            return
        if "grandchild" in self.modes:
            sys.exit(0)
        if "close-input-on-go" in self.modes:
            os.close(0)
            self.write("info string input closed")
            while True:
                time.sleep(60)
        if "no-final-lf" in self.modes:
            self.write("bestmove e2e4", end=b"")
            sys.exit(0)
        if "flood" in self.modes:
            count = int(self.modes["flood"])
            self.out.write(b"".join(b"info depth 5 score cp 1 nodes %d pv e2e4%s" % (n, self.end)
                                    for n in range(count)))
            self.bestmove()
        elif "every-50ms" in self.modes:
            self.report_until_stop()
        elif "think" in self.modes:
            end = time.monotonic() + float(self.modes["think"])
            while time.monotonic() < end:
                self.write("info depth 1 score cp 1 pv e2e4")
                time.sleep(0.05)
            self.bestmove()
        elif not (self.gos == 1 and "wait-for-stop" in self.modes) and "forever" not in self.modes:
            for line in self.go_lines:
                self.write(line) if line is not None else self.bestmove()
        if "mark" in self.modes:
            open(self.modes["mark"], "w").close()

    def report_until_stop(self):
        depth = 0
        while True:
            depth += 1
            self.write(f"info depth {depth} score cp {depth} pv e2e4")
            time.sleep(0.05)
            if select.select([0], [], [], 0)[0]:
                self.pending += os.read(0, 4096)
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                self.note(line.decode(errors="surrogateescape"))
                if line.strip() == b"stop":
                    self.bestmove()
                    return

    def lines(self):
        """The input's lines, read from the descriptor itself, so that lines a
        search read ahead are not lost."""
        while True:
            while b"\n" not in self.pending:
                chunk = os.read(0, 4096)
                if not chunk:
                    return
                self.pending += chunk
            line, self.pending = self.pending.split(b"\n", 1)
            yield line

    @staticmethod
    def run_for(seconds):
        """Sleeps in short slices, so that a stretch spent stopped counts as
        one slice at most, as it does for the host."""
        for _ in range(round(seconds / 0.01)):
            time.sleep(0.01)

    def delay_first(self, mode):
        if mode in self.modes:
            time.sleep(float(self.modes.pop(mode)))

    def note(self, line):
        self.log.write(line + "\n")
        self.log.flush()

    def run(self):
        if "grandchild" in self.modes:
            # Sleeps on, holding the output, until the test kills it.
            child = subprocess.Popen([sys.executable, "-c", "import time; time.sleep(30)"],
                                     stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            with open(self.modes["grandchild"], "w") as pid_file:
                pid_file.write(str(child.pid))
        if "ignore-quit" in self.modes:
            signal.signal(signal.SIGTERM, signal.SIG_IGN)
        if "deaf" in self.modes:
            while True:
                time.sleep(60)
        for raw in self.lines():
            line = raw.decode(errors="surrogateescape")
            self.note(line)
            word = line.split(" ", 1)[0]
            if word in ("uci", "isready"):
                self.delay_first(f"slow-{'uci' if word == 'uci' else 'ready'}")
            if word == "uci":
                self.handshake()
            elif word == "isready":
                self.write("readyok")
            elif word == "go":
                self.go()
            elif word == "stop" and "forever" in self.modes:
                while True:
                    self.write("info depth 1 score cp 1 pv e2e4")
                    time.sleep(0.001)
            elif word == "stop" and self.searching:
                self.delay_first("slow-stop")
                self.bestmove()
            elif word == "quit" and "ignore-quit" not in self.modes:
                return
        while "ignore-quit" in self.modes:  # input closed: still it stays
            time.sleep(60)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", action="append", default=[],
                        type=lambda text: tuple(text.split("=", 1)) if "=" in text else (text, ""))
    parser.add_argument("--option", action="append", default=[])
    parser.add_argument("--go", action="append", help="lines to write on go; - for the best move")
    args = parser.parse_args()
    if args.go:
        args.go = [None if line == "-" else line for line in args.go]
    Fake(args).run()


if __name__ == "__main__":
    main()
