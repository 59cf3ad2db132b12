"""The game window's toolbar and keys: F5 loads the game again, F11 shows it over the whole
screen and Esc leaves, Ctrl+Alt+S saves a PNG of the game's area where the player can find it,
and 收藏 makes the game a favourite and stays pressed."""

import glob
import os
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    LIST, LIST_BODY, Image, ProgramTestCase, centre, games_sent, hot_list_target, screen_size,
    screenshot, stable_screenshot, wait_until, windows_path, xdotool)

FIRST_PAGE = hot_list_target("0", 1)
FAVOURITES_BUTTON = (425, 529, 60, 18)
# Where the toolbar's buttons are looked for, from the game window's client corner.
TOOLBAR_STRIP = (0, 0, 400, 24)


class PlayToolbarTest(ProgramTestCase):

    def open_game(self, program, catalogue, row):
        """Double-clicks `row` and returns the game window once its page has been asked for."""
        body = program.stable_shot(LIST_BODY)
        before = len(catalogue.requests())
        program.double_click(self.row_centre(body, row))
        game = wait_until(program.game_windows, 15, "the game window")[0]
        catalogue.wait_for_requests(before + 1)
        program.activate(game)
        return game

    def toolbar_buttons(self, game):
        """Centres (screen points) of the toolbar's buttons, found as the groups of ink in the
        toolbar's strip: each caption is two characters, the buttons lie well apart."""
        x0, y0 = game.client_origin()
        strip = screenshot(x0 + TOOLBAR_STRIP[0], y0 + TOOLBAR_STRIP[1], *TOOLBAR_STRIP[2:])
        mask = strip.ink()
        columns = [x for x in range(strip.width) if any(mask[x::strip.width])]
        groups = []
        for x in columns:
            if groups and x - groups[-1][1] <= 6:
                groups[-1][1] = x
            else:
                groups.append([x, x])
        rows = strip.ink_rows()
        middle = (rows[0][0] + rows[-1][1]) // 2 if rows else strip.height // 2
        return [(x0 + (first + last) // 2, y0 + middle) for first, last in groups]

    @staticmethod
    def whole_picture(folder):
        """The picture in `folder`, once there is one and it has been written to its end."""
        for path in glob.glob(os.path.join(folder, "*.png")):
            try:
                return Image.load(path)
            except Exception:  # still being written
                return None
        return None

    def test_refresh_full_screen_and_screenshot_keys(self):
        shots = os.path.join(self.work, "shots")
        catalogue, program = self.start_at_first_page(
            environment={"ZENTORI_SCREENSHOT_DIR": windows_path(shots)})
        names, app_ids = zip(*games_sent(FIRST_PAGE))
        game = self.open_game(program, catalogue, 1)

        before = len(catalogue.requests())
        program.key("F5")
        self.assertEqual(catalogue.wait_for_requests(before + 1)[-1], f"/{app_ids[0]}")

        windowed = (game.client_origin(), game.width, game.height)
        program.key("F11")
        width, height = screen_size()
        wait_until(lambda: [(w.client_origin(), w.width, w.height) for w in program.game_windows()]
                   == [((0, 0), width, height)], 10, "the game over the whole screen")
        program.key("Escape")
        wait_until(lambda: [(w.client_origin(), w.width, w.height) for w in program.game_windows()]
                   == [windowed], 10, f"the game window back at {windowed}")

        program.key("ctrl+alt+s")
        picture = wait_until(lambda: self.whole_picture(shots), 10, "the screenshot")
        saved = glob.glob(os.path.join(shots, "*.png"))
        self.assertEqual(len(saved), 1, saved)
        self.assertTrue(os.path.basename(saved[0]).startswith(names[0] + " "), saved[0])
        # The browser's area: the whole width, the height less the toolbar and the status bar.
        self.assertEqual(picture.width, game.width)
        self.assertTrue(game.height - 70 < picture.height < game.height - 30,
                        f"{picture.height} of {game.height}")

    def test_the_favourite_button_keeps_the_game_and_stays_pressed(self):
        catalogue, program = self.start_at_first_page()
        names, _ = zip(*games_sent(FIRST_PAGE))
        game = self.open_game(program, catalogue, 2)
        buttons = wait_until(lambda: len(self.toolbar_buttons(game)) == 5 and
                             self.toolbar_buttons(game), 10, "the five toolbar buttons")
        favourite = buttons[4]
        look = (favourite[0] - 20, favourite[1] - 10, 40, 20)
        resting = screenshot(*look)
        xdotool("mousemove", "--sync", *favourite)
        xdotool("click", 1)
        xdotool("mousemove", "--sync", favourite[0] + 300, favourite[1] + 300)
        # Once the pointer has left and the button has settled, it still looks pressed.
        self.assertGreater(stable_screenshot(*look).difference(resting), 2,
                           "the button looks pressed")

        program.activate()
        program.click(centre(FAVOURITES_BUTTON))
        rows = (LIST_BODY[0], LIST_BODY[1], LIST_BODY[2], LIST[3] - 60)
        self.assert_names(program.stable_shot(rows), [names[1]])


if __name__ == "__main__":
    unittest.main()
