"""The optical-character module from Python.

Teach an alphabet from a manifest (octool's format) or from NumPy images, store and load
it, and arrange or verify an expected string in a 2-D uint8 image::

    import oc
    alphabet = oc.Alphabet.teach("sheet/manifest.txt")
    result = oc.verify(oc.read_image("stamp.png"), alphabet, "2026", maxLines=1)
    print(result.passed, [p.verdict for p in result.positions])

Keyword parameters are octool's ``--set`` names (``octool arrange --help`` lists them):
numbers, booleans, strings as octool takes them (``lineType="eCircular"``), angles in
degrees, ranges as ``(start, end)``. The module's errors raise ``oc.Error`` (a refused
parameter value ``oc.ParamError``, also a ``ValueError``). Calls release the GIL while
they work, so Python threads run them in parallel.
"""

from dataclasses import dataclass, field
from typing import Optional, Tuple

from ._oc import Alphabet, Error, ParamError
from . import _oc

__all__ = ["Alphabet", "Error", "ParamError", "Position", "Line", "ArrangeResult",
           "VerifyPosition", "VerifyResult", "arrange", "verify", "read_image"]

Point = Tuple[float, float]


@dataclass(frozen=True)
class Position:
    """One target position as arranged: status "matched", "inferred" or "unknown"."""
    index: int
    name: str
    status: str
    score: float
    x: float
    y: float
    angle: float  # degrees, clockwise on screen
    scale: float
    cell_center: Point
    cell: Tuple[Point, Point, Point, Point]  # upper-left, upper-right, lower-right, lower-left
    line: int


@dataclass(frozen=True)
class Line:
    name: str
    positions: Tuple[int, ...]
    kind: str  # "straight" or "circular"


@dataclass(frozen=True)
class ArrangeResult:
    found: bool
    truncated: bool
    positions: Tuple[Position, ...]
    lines: Tuple[Line, ...]
    time_ms: float = field(compare=False)


@dataclass(frozen=True)
class VerifyPosition:
    """One target position as verified: verdict "pass", "wrong" or "missing"."""
    index: int
    name: str
    verdict: str
    reads_as: Optional[str]
    score: float
    rival_score: float
    status: str
    cell_center: Point


@dataclass(frozen=True)
class VerifyResult:
    passed: bool
    positions: Tuple[VerifyPosition, ...]
    lines: Tuple[Line, ...]
    time_ms: float = field(compare=False)


def _lines(raw):
    return tuple(Line(l["name"], tuple(l["positions"]), l["kind"]) for l in raw)


def arrange(image, alphabet, target, *, mask=None, **params):
    """Finds the characters of ``target`` in ``image`` (2-D uint8; within ``mask``, the
    image's shape, where it is 128 or more)."""
    raw = _oc.arrange(image, alphabet, target, mask, params)
    return ArrangeResult(raw["found"], raw["truncated"],
                         tuple(Position(**p) for p in raw["positions"]), _lines(raw["lines"]),
                         raw["time_ms"])


def verify(image, alphabet, target, *, mask=None, **params):
    """Says whether ``image`` carries ``target``, position by position. Takes the arrange
    parameters and margin, minScore, xyRange and angleRange."""
    raw = _oc.verify(image, alphabet, target, mask, params)
    return VerifyResult(raw["passed"], tuple(VerifyPosition(**p) for p in raw["positions"]),
                        _lines(raw["lines"]), raw["time_ms"])


def read_image(path, bits16=None):
    """The image file at ``path`` (the formats octool reads) as a 2-D uint8 array.

    16-bit images are refused unless ``bits16="high"`` takes their samples' high bytes.
    """
    return _oc.read_image(path, bits16)
