"""The program on a scaled display (ZENTORI_DPI, in a Wine prefix of that DPI, run through
scripts/with-scale): the main window and everything in it come out at the scale, text drawn sharp
for it, and clicks at the scaled places do what they do at 96 dpi. Sizes at 96 dpi come from the
same build in the usual prefix, shown on the same display."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    LIST_BODY, NAME_COLUMN, PLAYING_SUFFIX, REPO, WINDOW_SIZE, ProgramTestCase, centre, games_sent,
    genre_button, genre_key, hot_list_target, paging_button, search_target, section_button,
    wait_until)

DPI = int(os.environ.get("ZENTORI_DPI", "96"))
USUAL_PREFIX = os.path.join(REPO, "build", "wineprefix")
FIRST_PAGE = hot_list_target("0", 1)


def px(value, dpi=DPI):
    """The scale rule: a 96-dpi coordinate in pixels, rounded half away from zero."""
    return (value * dpi + 48) // 96


def scaled(region, dpi=DPI):
    """A 96-dpi region (x, y, width, height) by its scaled edges."""
    x, y, width, height = region
    return (px(x, dpi), px(y, dpi), px(x + width, dpi) - px(x, dpi),
            px(y + height, dpi) - px(y, dpi))


def text_box(image):
    """(width, height) of the ink in `image`: one line of text."""
    rows = image.ink_rows()
    if not rows:
        return (0, 0)
    return (image.ink_span(), rows[-1][1] - rows[0][0] + 1)


def sharp_edges(image):
    """Neighbouring pixels (across and down) going from dark text to the light list in one step:
    a text drawn for its size has many, a picture of smaller text blown up has few."""
    width, height, p = image.width, image.height, image.pixels
    grey = [(p[i] + p[i + 1] + p[i + 2]) // 3 for i in range(0, len(p), 3)]
    edges = 0
    for y in range(height):
        for x in range(width):
            here = grey[y * width + x]
            for other in ([grey[y * width + x + 1]] if x + 1 < width else []) + \
                         ([grey[(y + 1) * width + x]] if y + 1 < height else []):
                if min(here, other) <= 80 and max(here, other) >= 190:
                    edges += 1
    return edges


class DisplayScaleTest(ProgramTestCase):

    def measure(self, program, dpi):
        """The genre button 策略's and the first row's name's text boxes, and the first row's
        sharp edges per glyph."""
        button = scaled(genre_button("策略"), dpi)
        inset = px(3, dpi)  # inside the button's outline
        genre = program.shot((button[0] + inset, button[1] + inset, button[2] - 2 * inset,
                              button[3] - 2 * inset))
        body = program.stable_shot(scaled(LIST_BODY, dpi))
        name_x, name_width = NAME_COLUMN
        names = body.crop(px(LIST_BODY[0] + name_x, dpi) - px(LIST_BODY[0], dpi), 0,
                          px(name_width, dpi), body.height)
        first, last = names.ink_rows()[0]
        row = names.crop(0, first, names.width, last - first + 1)
        glyphs = len(games_sent(FIRST_PAGE)[0][0])
        return text_box(genre), text_box(row), sharp_edges(row) / glyphs

    def test_window_text_and_sharpness_follow_the_scale(self):
        catalogue = self.start_catalogue()
        usual = self.start_program(catalogue, name="usual", prefix=USUAL_PREFIX)
        self.wait_for_fetch(usual, catalogue, 1)
        genre96, row96, edges96 = self.measure(usual, 96)
        usual.stop()

        program = self.start_program(catalogue, name="scaled")
        wait_until(lambda: len(catalogue.requests()) >= 2, 20, "the scaled program's first page")
        window = program.main_window()
        for measured, design in [(window.width, WINDOW_SIZE[0]), (window.height, WINDOW_SIZE[1])]:
            self.assertLessEqual(abs(measured - px(design)), 1, (window.width, window.height))
        genre, row, edges = self.measure(program, DPI)
        for what, box, box96 in [("genre button", genre, genre96), ("row", row, row96)]:
            for measured, at96 in zip(box, box96):
                self.assertLessEqual(abs(measured - at96 * DPI / 96), 2,
                                     f"{what} text {box} at {DPI} dpi, {box96} at 96")
        if DPI >= 192:
            self.assertGreaterEqual(edges, edges96, "sharp edges per glyph")

    def test_clicks_at_the_scaled_places_work(self):
        catalogue, program = self.start_at_first_page()
        self.run_command(program, catalogue, centre(scaled(paging_button("下页"))),
                         hot_list_target("0", 2))
        self.run_command(program, catalogue, centre(scaled(section_button("小游戏"))),
                         hot_list_target("7", 1))
        target = search_target(genre_key("策略"))
        self.run_command(program, catalogue, centre(scaled(genre_button("策略"))), target)
        body = program.stable_shot(scaled(LIST_BODY))
        first, last = body.crop(0, 0, px(60), body.height).ink_rows()[2]
        body_x, body_y = scaled(LIST_BODY)[:2]
        program.double_click((body_x + px(200), body_y + (first + last) // 2))
        title = games_sent(target)[2][0] + PLAYING_SUFFIX
        wait_until(lambda: [w for w in program.game_windows() if w.title == title], 20,
                   f"a game window titled {title}")


if __name__ == "__main__":
    unittest.main()
