"""Show files as the program writes them: Windows-1252, CR LF line ends, and
its number form (a blank before every number that is not negative)."""
import os


def nf(value):
    return (" %d" % value) if value >= 0 else "%d" % value


def lst(values):
    return ",".join(nf(v) for v in values)


def writer(home):
    """A function that writes lines to a file below `home`, making its folder."""
    def write(name, lines):
        path = os.path.join(home, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
    return write
