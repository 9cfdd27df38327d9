"""Starts the web host under Wine for end-to-end tests and always stops it.

The host listens on a port the system picks (port 0) on 127.0.0.1 and
reports it through a ready file; its life is bounded by --lifetime and by
the Wine runner's timeout, and it is stopped when the test ends, fails or is
interrupted.
"""
import argparse
import http.client
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def share_folder(prefix):
    """The only host folder the prefix sees (its drive T:): the one holding it."""
    return os.path.dirname(os.path.realpath(prefix))


def windows_path(path, prefix):
    share = share_folder(prefix)
    full = os.path.realpath(path)
    if os.path.commonpath([share, full]) != share:
        raise ValueError("%s is outside %s, the only folder the Wine prefix sees" % (path, share))
    return "T:\\" + os.path.relpath(full, share).replace("/", "\\")


def common_arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--wine-run", required=True, help="scripts/wine-run.sh")
    parser.add_argument("--prefix", required=True, help="the build's Wine prefix")
    parser.add_argument("--bin", required=True, help="folder holding webhost.exe and DVLWHAPI.dll")
    return parser


class WebHost:
    def __init__(self, args, lifetime=300, trace=False, error_log=True):
        self.args = args
        self.lifetime = lifetime
        self.work = tempfile.mkdtemp(prefix="webhost-", dir=share_folder(args.prefix))
        self.ready = os.path.join(self.work, "ready")
        self.error_log = os.path.join(self.work, "error.log") if error_log else None
        self.trace = os.path.join(self.work, "trace.txt") if trace else None
        self.output = os.path.join(self.work, "output.txt")
        self.process = None
        self.port = None

    def start(self):
        command = [self.args.wine_run, self.args.prefix, os.path.join(self.args.bin, "webhost.exe"),
                   "--port", "0", "--ready-file", windows_path(self.ready, self.args.prefix),
                   "--lifetime", str(self.lifetime)]
        if self.error_log:
            command += ["--error-log", windows_path(self.error_log, self.args.prefix)]
        env = dict(os.environ, VL_WINE_TIMEOUT=str(self.lifetime + 20))
        env.pop("DVL_TRACE_FILE", None)
        if self.trace:
            env["DVL_TRACE_FILE"] = windows_path(self.trace, self.args.prefix)
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=env,
                                            stdin=subprocess.DEVNULL, start_new_session=True)
        # The first run in a new prefix creates it, which takes a while.
        deadline = time.time() + 360
        while time.time() < deadline:
            if os.path.exists(self.ready):
                with open(self.ready) as f:
                    text = f.read().strip()
                if text:
                    self.port = int(text)
                    return self
            if self.process.poll() is not None:
                raise RuntimeError("web host ended at start-up (%s): %s" % (self.process.returncode, self.log()))
            time.sleep(0.1)
        raise RuntimeError("web host did not start: " + self.log())

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def log(self):
        try:
            with open(self.output, errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def read(self, path):
        try:
            with open(path, errors="replace") as f:
                return f.read()
        except (OSError, TypeError):
            return ""

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            # The runner's timeout passes the signal on to the Wine process.
            try:
                self.process.send_signal(signal.SIGTERM)
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=15)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.work, ignore_errors=True)

    def __enter__(self):
        try:
            return self.start()
        except BaseException:
            self.stop()
            raise

    def __exit__(self, *exc):
        self.stop()

    def connection(self, timeout=30):
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)

    def status(self):
        c = self.connection()
        try:
            c.request("GET", "/direct/status")
            text = c.getresponse().read().decode()
        finally:
            c.close()
        return dict(line.split("=", 1) for line in text.split())


def stop_on_termination():
    """Turns SIGTERM (a CTest timeout) into an exit that runs the clean-up."""
    def handler(signum, frame):
        raise SystemExit("terminated")
    signal.signal(signal.SIGTERM, handler)


class Checks:
    """Collects failed expectations so one run reports all of them."""
    def __init__(self):
        self.failures = []

    def expect(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAILED: " + what, flush=True)
        return condition

    def contains(self, text, part, what):
        return self.expect(part in text, "%s: %r not in %r" % (what, part, text[:2000]))

    def finish(self, name):
        if self.failures:
            print("%s: %d failure(s)" % (name, len(self.failures)))
            sys.exit(1)
        print("%s: all checks passed" % name)
