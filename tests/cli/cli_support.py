"""What the command-line tests share: the tool and source folder they were given, running the
tool as a pipeline does (without a display) and gathering failures."""
import os
import subprocess
import sys

tool, source = sys.argv[1], sys.argv[2]
failures = []


def run(*arguments, timeout=120):
    """Runs the tool without DISPLAY (it must never need one); answers (status, out, err)."""
    environment = dict(os.environ)
    environment.pop("DISPLAY", None)
    done = subprocess.run([tool, *arguments], capture_output=True, text=True, env=environment,
                          timeout=timeout)
    return done.returncode, done.stdout, done.stderr


def expect(what, condition, detail=""):
    if not condition:
        failures.append(f"{what}: {detail}")


def finish(passed):
    """Prints the failures and fails, or prints passed."""
    if failures:
        print("\n".join(failures))
        sys.exit(1)
    print(passed)
