"""Text helpers shared by the readers and writers.

Free-form (list-directed) reading as the engines do it: every read statement
starts on a new line; values are separated by blanks, commas or line ends; a
statement that needs more values than its line holds goes on over the next
lines and ignores whatever its last line holds beyond them; a text value ends
at a blank, comma or slash unless it is quoted; ``r*c`` repeats ``c`` r times;
a slash ends the statement. Fixed-width result fields may hold asterisks
(a value too wide for its field): they read as NaN.
"""

from __future__ import annotations

import math
import re
from pathlib import Path

# Result files carry the degree sign as the single Latin-1 byte 0xB0.
ENCODING = "latin-1"

_NUMBER = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([eEdDqQ]?[+-]?\d+)?$")


class FreeFormError(ValueError):
    """A free-form read failed: ``kind`` is "eof" or "data"."""

    def __init__(self, kind: str, message: str):
        super().__init__(message)
        self.kind = kind


def read_lines(path) -> list[str]:
    """The lines of a text file without their line ends (LF or CRLF)."""
    return Path(path).read_text(encoding=ENCODING).splitlines()


def _split_values(line: str) -> tuple[list[str | None], bool]:
    """Splits one line into free-form items; returns (items, slash_seen).

    Null values (two separators with nothing between them) are None.
    """
    items: list[str | None] = []
    i, n = 0, len(line)
    expect_value = True  # a comma right at the start gives a null value
    while i < n:
        c = line[i]
        if c in " \t":
            i += 1
            continue
        if c == ",":
            if expect_value:
                items.append(None)
            expect_value = True
            i += 1
            continue
        if c == "/":
            return items, True
        if c in "'\"":
            quote, j, text = c, i + 1, []
            while j < n:
                if line[j] == quote:
                    if j + 1 < n and line[j + 1] == quote:
                        text.append(quote)
                        j += 2
                        continue
                    break
                text.append(line[j])
                j += 1
            items.append("".join(text))
            i = j + 1
        else:
            j = i
            while j < n and line[j] not in " \t,/":
                j += 1
            token = line[i:j]
            star = re.match(r"^(\d+)\*(.*)$", token)
            if star:
                count, value = int(star.group(1)), star.group(2)
                items.extend([value if value else None] * count)
            else:
                items.append(token)
            i = j
        expect_value = False
    return items, False


def parse_real(token: str | None) -> float:
    if token is None:
        return math.nan
    text = token.strip()
    if not _NUMBER.match(text):
        raise FreeFormError("data", f"not a number: {token!r}")
    text = re.sub(r"[dDqQ]", "e", text)
    if "e" not in text.lower():
        text = re.sub(r"(?<=[\d.])([+-])", r"e\1", text)  # 1.5+3 is 1.5e+3
    return float(text)


def parse_integer(token: str | None) -> int:
    if token is None:
        return 0
    text = token.strip()
    if not re.match(r"^[+-]?\d+$", text):
        raise FreeFormError("data", f"not a whole number: {token!r}")
    return int(text)


class FreeFormReader:
    """Reads a text statement by statement, each from the next unread line."""

    def __init__(self, text: str):
        self.lines = text.splitlines()
        self.next_line = 0

    @classmethod
    def from_file(cls, path) -> "FreeFormReader":
        return cls(Path(path).read_text(encoding=ENCODING))

    def tokens(self, count: int) -> list[str | None]:
        """The next ``count`` items of one statement (None for null values)."""
        found: list[str | None] = []
        while len(found) < count:
            if self.next_line >= len(self.lines):
                raise FreeFormError("eof", "end of file")
            items, slash = _split_values(self.lines[self.next_line])
            self.next_line += 1
            found.extend(items)
            if slash:
                found.extend([None] * (count - len(found)))
        return found[:count]

    def reals(self, count: int) -> list[float]:
        return [parse_real(t) for t in self.tokens(count)]

    def real(self) -> float:
        return self.reals(1)[0]

    def integer(self) -> int:
        return parse_integer(self.tokens(1)[0])

    def text(self) -> str:
        token = self.tokens(1)[0]
        return "" if token is None else token

    def skip_line(self) -> str:
        if self.next_line >= len(self.lines):
            raise FreeFormError("eof", "end of file")
        self.next_line += 1
        return self.lines[self.next_line - 1]

    def at_end(self) -> bool:
        return all(not line.strip() for line in self.lines[self.next_line :])


def format_number(value) -> str:
    """A number as the free-form readers take it back exactly.

    Whole numbers are written without a decimal point when they are
    integers in Python; reals keep the shortest text that reads back to the
    same value.
    """
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    value = float(value)
    if math.isnan(value) or math.isinf(value):
        raise ValueError(f"cannot write {value} to an input file")
    text = repr(value)
    if text.endswith(".0"):
        text = text[:-2]
    return text


def quote_text(text: str) -> str:
    """A text value for a free-form file: quoted when it holds a separator."""
    if text and not re.search(r"[\s,/'\"]", text):
        return text
    return '"' + text.replace('"', '""') + '"'


def field_value(text: str) -> float:
    """A fixed-width result field as a number; asterisks (overflow) give NaN."""
    text = text.strip()
    if not text or set(text) == {"*"}:
        return math.nan
    return float(text)


def split_fields(line: str) -> list[str]:
    """Comma-separated fixed-width fields, blanks stripped; a trailing
    comma (rows that end with one) gives no extra field."""
    fields = [f.strip() for f in line.split(",")]
    if len(fields) > 1 and fields[-1] == "":
        fields.pop()
    return fields
