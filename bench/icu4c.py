"""The ICU4C side of the Python-level normalize rows: a client of charlore-icu4c-timer,
which times unorm2_normalize in C++ on the corpus files python_bench.py writes."""
import subprocess


class Timer:
    """One running charlore-icu4c-timer; side(form, index) gives a batch function for
    measure.compare_sides, and units(form, index) the length of its last result."""

    def __init__(self, program, data_dir):
        self.process = subprocess.Popen([program, data_dir], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.lengths = {}

    def batch(self, form, index, loops):
        self.process.stdin.write(f"{form} {index} {loops}\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().split()
        if len(answer) != 2 or answer[0] == "error":
            raise RuntimeError(f"charlore-icu4c-timer: {' '.join(answer) or 'no answer'}")
        self.lengths[form, index] = int(answer[1])
        return float(answer[0])

    def side(self, form, index):
        return lambda loops: self.batch(form, index, loops)

    def units(self, form, index):
        """Length in UTF-16 units of the result of the last batch of (form, index)."""
        return self.lengths.get((form, index))

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def open_timer(program, data_dir):
    """A Timer, or None when the program is not given (ICU4C or its build missing)."""
    return Timer(program, data_dir) if program else None
