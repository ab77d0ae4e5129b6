"""The Python module against octool-rendered stamps: teaching, files, arrange and verify
results, image layouts, parameters, errors and threads."""
import math
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import oc

# The finder's default time limit (10 ms a character) can cut searches short on a busy
# machine, and results that should be equal would differ.
RUN = dict(maxLines=1, timeout=1000)


def test_taught_alphabet_survives_a_file_and_finds_each_character(scenes, alphabet, tmp_path):
    alphabet.save(str(tmp_path / "digits.oca"))
    loaded = oc.Alphabet.load(str(tmp_path / "digits.oca"))
    assert loaded.names == alphabet.names == list("0123456789")
    assert loaded.is_compiled

    image = oc.read_image(str(scenes["turned"]))
    assert image.dtype == np.uint8 and image.shape == (120, 240)
    result = oc.arrange(image, loaded, "2026", **RUN)
    assert result.found and [p.status for p in result.positions] == ["matched"] * 4
    for p, truth in zip(result.positions, scenes["turned.truth"]["positions"]):
        assert math.dist(p.cell_center, (truth["x"], truth["y"])) < 1.0
        assert abs(p.angle - truth["angleDeg"]) < 1.0
    assert result.lines[0].positions == (0, 1, 2, 3)
    assert result == oc.arrange(image, alphabet, "2026", **RUN)


@pytest.mark.parametrize("stamp, passed, verdicts", [
    ("turned", True, ["pass"] * 4),
    ("omitted", False, ["pass", "pass", "pass", "missing"]),
])
def test_verify_verdicts(scenes, alphabet, stamp, passed, verdicts):
    result = oc.verify(oc.read_image(str(scenes[stamp])), alphabet, "2026", **RUN)
    assert result.passed is passed
    assert [p.verdict for p in result.positions] == verdicts


def test_any_strides_give_the_packed_result(scenes, alphabet):
    image = oc.read_image(str(scenes["plain"]))
    spread = np.zeros((image.shape[0] * 2, image.shape[1] * 3), np.uint8)
    spread[::2, ::3] = image
    expected = oc.arrange(image, alphabet, "2026", **RUN)
    upside_down = image[::-1].copy()
    for layout in (spread[::2, ::3], np.asfortranarray(image), upside_down[::-1]):
        assert oc.arrange(layout, alphabet, "2026", **RUN) == expected


def test_teaching_from_arrays_equals_teaching_from_the_manifest(scenes, alphabet):
    sheet = oc.read_image(str(scenes["manifest"].parent / "sheet.pgm"))
    samples = []
    for line in scenes["manifest"].read_text().splitlines():
        if line and not line.startswith("#"):
            _, name, _, x, y, w, h = line.split()
            samples.append((name, sheet, (int(x), int(y), int(w), int(h))))
    taught = oc.Alphabet.from_images(samples, name="digits")
    assert taught.names == alphabet.names and taught.name == "digits"
    image = oc.read_image(str(scenes["turned"]))
    assert oc.verify(image, taught, "2026", **RUN) == oc.verify(image, alphabet, "2026",
                                                                **RUN)


def test_keyword_parameters_reach_the_module(scenes, alphabet):
    image = oc.read_image(str(scenes["plain"]))
    strict = oc.arrange(image, alphabet, "2026", minMatchScore=1.0, scaleRange=(0.8, 1.2))
    assert "matched" not in [p.status for p in strict.positions]
    assert not oc.verify(image, alphabet, "2026", minScore=1.0).passed


def _image():
    return np.full((40, 60), 200, np.uint8)


@pytest.mark.parametrize("call, error, message", [
    (lambda a: oc.arrange(_image().astype(float), a, "2"), TypeError, "dtype uint8"),
    (lambda a: oc.arrange(_image().tolist(), a, "2"), TypeError, "NumPy array"),
    (lambda a: oc.arrange(np.zeros((4, 4, 3), np.uint8), a, "2"), ValueError, "2-D"),
    (lambda a: oc.arrange(np.zeros((0, 4), np.uint8), a, "2"), ValueError, "empty"),
    (lambda a: oc.arrange(_image(), a, "2", mask=np.zeros((4, 4), np.uint8)), ValueError, "shape"),
    (lambda a: oc.arrange(_image(), a, "2", margin=0.1), TypeError, "unexpected keyword"),
    (lambda a: oc.arrange(_image(), a, "2", maxLines=[1]), TypeError, "maxLines"),
    (lambda a: oc.arrange(_image(), a, "2", maxLines=0), oc.ParamError, "maxLines=0"),
    (lambda a: oc.verify(_image(), a, "2", margin=2), ValueError, "margin=2"),
    (lambda a: oc.arrange(_image(), a, "2X"), oc.Error, "'X'"),
    (lambda a: oc.Alphabet.load("/nonexistent.oca"), oc.Error, "cannot open"),
    (lambda a: oc.Alphabet.teach("/nonexistent.txt"), oc.Error, "cannot open"),
    (lambda a: oc.read_image(__file__), oc.Error, "test_oc.py"),
    (lambda a: oc.Alphabet.from_images([("1", _image(), (50, 0, 20, 20))]), oc.Error, "outside"),
])
def test_bad_input_raises_a_clear_error(alphabet, call, error, message):
    with pytest.raises(error, match=message.replace("(", r"\(")):
        call(alphabet)


def test_threads_share_an_alphabet(scenes, alphabet):
    images = [oc.read_image(str(scenes[s])) for s in ("turned", "omitted", "plain")] * 2
    serial = [oc.verify(i, alphabet, "2026", **RUN) for i in images]
    with ThreadPoolExecutor(2) as pool:
        threaded = list(pool.map(lambda i: oc.verify(i, alphabet, "2026", **RUN), images))
    assert threaded == serial


def test_sixteen_bit_images_are_refused_unless_their_high_bytes_are_asked_for(scenes, tmp_path):
    sheet = oc.read_image(str(scenes["manifest"].parent / "sheet.pgm"))
    wide = tmp_path / "sheet.pgm"
    wide.write_bytes(b"P5 %d %d 65535\n" % (sheet.shape[1], sheet.shape[0]) +
                     (sheet.astype(">u2") * 257).tobytes())
    manifest = tmp_path / "manifest.txt"
    manifest.write_text(scenes["manifest"].read_text())
    with pytest.raises(oc.Error, match="bits16=high"):
        oc.read_image(str(wide))
    with pytest.raises(oc.Error, match="bits16=high"):
        oc.Alphabet.teach(str(manifest))
    with pytest.raises(ValueError, match="'low'"):
        oc.read_image(str(wide), bits16="low")
    assert np.array_equal(oc.read_image(str(wide), bits16="high"), sheet)
    assert len(oc.Alphabet.teach(str(manifest), bits16="high")) > 0
