"""Text on a system without the faces the program prefers: a Wine prefix as a Linux user's new
Wine has it (no font replacements, Wine's own menu font, which GDI+ cannot use). The program must
find an installed face and draw every text where it draws it in the usual prefix."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    LIST_BODY, PLAIN_PREFIX, Image, Program, ProgramTestCase, genre_button)

CAPTION_TITLE = (26, 5, 160, 17)
FIRST_ROW = (LIST_BODY[0], LIST_BODY[1], 216, 18)  # index and name of row 1


def marks(shot, background, threshold=60):
    """Per pixel: True where the shot differs clearly from `background` (an Image of the same
    size, or None for "dark ink on a light ground")."""
    if background is None:
        return shot.ink()
    a, b = shot.pixels, background.pixels
    return [abs(a[i] - b[i]) + abs(a[i + 1] - b[i + 1]) + abs(a[i + 2] - b[i + 2]) > threshold
            for i in range(0, len(a), 3)]


def box(mask, width):
    """(left, top, right, bottom) of the marked pixels, and how many there are."""
    points = [(i % width, i // width) for i, marked in enumerate(mask) if marked]
    if not points:
        return None, 0
    xs, ys = [x for x, _ in points], [y for _, y in points]
    return (min(xs), min(ys), max(xs), max(ys)), len(points)


class FontsTest(ProgramTestCase):

    def texts(self, program, skin):
        """Where the caption, a genre button and the first row have text: their boxes."""
        regions = {"caption": (CAPTION_TITLE, skin.crop(*CAPTION_TITLE)),
                   "genre 策略": (genre_button("策略"), None),
                   "first row": (FIRST_ROW, None)}
        found = {}
        for what, (region, background) in regions.items():
            shot = program.stable_shot(region)
            found[what] = box(marks(shot, background), shot.width)
        return found

    def run_in(self, prefix, name):
        catalogue = self.start_catalogue(name=f"catalogue-{name}")
        program = Program(self.work, catalogue.url, name=name, prefix=prefix).start()
        self.addCleanup(program.stop)
        program.wait_for_main_window(timeout=60)  # a new prefix starts its services first
        self.wait_for_fetch(program, catalogue, 1)
        skin = Image.load(os.path.join(program.folder, "skin", "1.jpg"))
        found = self.texts(program, skin)
        program.stop()
        return found

    def test_every_text_shows_in_a_prefix_without_font_replacements(self):
        if not os.path.isfile(os.path.join(PLAIN_PREFIX, ".zentori-ready")):
            self.fail(f"no plain Wine prefix at {PLAIN_PREFIX} (make prefix makes it)")
        usual = self.run_in(None, "usual")
        plain = self.run_in(PLAIN_PREFIX, "plain")
        for what, (usual_box, usual_count) in usual.items():
            plain_box, plain_count = plain[what]
            with self.subTest(what):
                self.assertGreater(usual_count, 15, "no text in the usual prefix")
                self.assertGreater(plain_count, 15, "no text drawn")
                for edge, a, b in zip("left top right bottom".split(), usual_box, plain_box):
                    self.assertLessEqual(abs(a - b), 4, f"{edge}: {usual_box} vs {plain_box}")


if __name__ == "__main__":
    unittest.main()
