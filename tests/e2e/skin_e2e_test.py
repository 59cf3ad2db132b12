"""Skins, chosen through the skin button's pop-up menu: the five pictures of the skin folder, a
picture of the user's own picked in the open-file dialog, and files that are no picture."""

import os
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    CLOSE_BUTTON_CENTRE, CONVERT, SKIN_ITEMS, SKIN_PATCHES, Image, ProgramTestCase, centre, hot_list_target, pointer_position,
    section_button, wait_until, windows_path)

SKIN_BUTTON = centre(section_button("皮肤更换"))


class SkinTest(ProgramTestCase):

    def skin_picture(self, program, number):
        return Image.load(os.path.join(program.folder, "skin", f"{number}.jpg"))

    def open_menu(self, program):
        """Clicks the skin button; returns the pop-up menu's window."""
        program.click(SKIN_BUTTON)
        menus = wait_until(program.other_windows, 5, "the skin menu")
        self.assertEqual(len(menus), 1, menus)
        return menus[0]

    def choose(self, program, item):
        self.open_menu(program)
        program.key(*["Down"] * (SKIN_ITEMS.index(item) + 1), "Return")

    def choose_custom_picture(self, program, path):
        """"自定义背景", then the file typed into the open-file dialog's name box."""
        self.choose(program, "自定义背景")
        dialogs = wait_until(program.other_windows, 10, "the open-file dialog")
        self.assertEqual([w.title for w in dialogs], ["打开"])
        program.type(windows_path(path))
        program.key("Return")
        wait_until(lambda: not program.other_windows(), 10, "the dialog to close")

    def test_each_menu_skin_replaces_the_background(self):
        catalogue, program = self.start_at_first_page()
        pictures = {n: self.skin_picture(program, n) for n in range(1, 7)}
        self.wait_for_skin(program, pictures[1], "1.jpg")

        menu = self.open_menu(program)
        pointer = pointer_position()
        self.assertEqual((menu.x, menu.y), (pointer[0] + 3, pointer[1] + 3))
        program.key("Escape")
        wait_until(lambda: not program.other_windows(), 5, "the menu to close")

        for number, item in enumerate(SKIN_ITEMS[:5], start=2):
            with self.subTest(item):
                self.choose(program, item)
                self.wait_for_skin(program, pictures[number], f"{number}.jpg")
                # Nothing else looks like it: the skin on screen is this one.
                distances = {n: self.skin_distance(program, pictures[n]) for n in pictures}
                self.assertEqual(min(distances, key=distances.get), number, distances)
        self.assertEqual(catalogue.requests(), [hot_list_target("0", 1)])

    def test_the_chosen_skin_is_back_after_a_restart(self):
        catalogue, program = self.start_at_first_page()
        self.choose(program, "黄色背景")
        yellow = self.skin_picture(program, 4)
        self.wait_for_skin(program, yellow, "4.jpg")
        program.click(CLOSE_BUTTON_CENTRE)
        self.assertEqual(program.wait_exit(20), 0)

        program.start().wait_for_main_window()
        self.wait_for_fetch(program, catalogue, 2)
        self.assertLess(self.skin_distance(program, yellow), 2)

    def test_custom_picture_from_the_open_file_dialog_becomes_the_skin(self):
        catalogue, program = self.start_at_first_page()
        custom = os.path.join(self.work, "my skin.png")
        subprocess.run([CONVERT, "-size", "800x600", "xc:", "-sparse-color", "Bilinear",
                        "0,0 #c02080 799,0 #20c040 0,599 #2040c0 799,599 #e0e020", custom],
                       check=True)
        self.choose_custom_picture(program, custom)
        self.wait_for_skin(program, Image.load(custom), "the custom picture")

    def test_files_that_are_no_picture_leave_the_skin_and_the_window_working(self):
        catalogue, program = self.start_at_first_page()
        first = self.skin_picture(program, 1)
        self.wait_for_skin(program, first, "1.jpg")

        garbage = os.path.join(self.work, "garbage.jpg")
        with open(garbage, "wb") as f:
            f.write(os.urandom(4096))
        truncated = os.path.join(self.work, "truncated.jpg")
        with open(os.path.join(program.folder, "skin", "3.jpg"), "rb") as f:
            head = f.read(600)
        with open(truncated, "wb") as f:
            f.write(head)
        refused = "] notice: 这个文件不是可以用作皮肤的图片\r\n"
        for count, path in enumerate((garbage, truncated), 1):
            with self.subTest(os.path.basename(path)):
                self.choose_custom_picture(program, path)
                # The file has been judged once the player is told why nothing changed; a skin
                # taken would be fading in by then, and the skin would not settle at once.
                wait_until(lambda: program.log().count(refused) == count, 10,
                           "the notice that the file is no picture")
                self.assertTrue(program.notice_shown())
                program.stable_shot(SKIN_PATCHES[0])
                self.assertLess(self.skin_distance(program, first), 2)
                self.assertTrue(program.running())

        # Cancelling the dialog changes nothing either.
        self.choose(program, "自定义背景")
        wait_until(program.other_windows, 10, "the open-file dialog")
        program.key("Escape")
        wait_until(lambda: not program.other_windows(), 10, "the dialog to close")
        # What the dialog covered is painted again once it has gone: the skin, not a new one.
        self.wait_for_skin(program, first, "1.jpg again where the dialog was")

        # The window still works (once the passing notice has gone from over the list).
        wait_until(lambda: not program.notice_shown(), 10, "the notice to go")
        target = hot_list_target("7", 1)
        body = self.run_command(program, catalogue, centre(section_button("小游戏")), target)
        self.assert_rows(body, target)


if __name__ == "__main__":
    unittest.main()
