"""The player's library: favourites from a row's menu and Ctrl+D, recently played games, the two
views beside the community label, one running copy per library (a copy in another session runs
without writing it), and a damaged library file kept aside with a notice in the main window."""

import glob
import os
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    CLOSE_BUTTON_CENTRE, LIST_BODY, LIST_ROWS, NOTICE, PAGE_COUNT_LABEL, PAGE_LABEL, PLAIN_PREFIX,
    Program, ProgramTestCase, centre, hot_list_target, names_sent, paging_button, section_button,
    text_width, wait_until, xdotool)

FIRST_PAGE = hot_list_target("0", 1)
FAVOURITES_BUTTON = (425, 529, 60, 18)
RECENT_BUTTON = (495, 529, 60, 18)
# The rows above the notice strip: the few games of these tests.
ROWS = LIST_ROWS
MENU_ITEMS = ["开始游戏", "加入收藏", "复制游戏链接"]  # the second reads 取消收藏 for a favourite


def read(path):
    with open(path, "rb") as f:
        return f.read()


class LibraryTest(ProgramTestCase):

    def choose_from_row_menu(self, program, point, item):
        program.right_click(point)
        menus = wait_until(program.other_windows, 5, "the game menu")
        self.assertEqual(len(menus), 1, menus)
        program.key(*["Down"] * (item + 1), "Return")
        wait_until(lambda: not program.other_windows(), 5, "the menu to close")

    def show_view(self, program, button):
        program.click(centre(button))
        return program.stable_shot(ROWS)

    def assert_labels(self, program, view, count):
        """The page label names the view and the count label reads 共<count>款, judged by the
        width of their ink."""
        for region, text in ((PAGE_LABEL, view), (PAGE_COUNT_LABEL, f"共{count}款")):
            width = program.stable_shot(region).ink_span()
            self.assertLessEqual(abs(width - text_width(text)), 4, f"{text!r}: {width} px")

    def restart(self, program):
        program.activate()
        program.click(CLOSE_BUTTON_CENTRE)
        self.assertEqual(program.wait_exit(20), 0)
        program.start().wait_for_main_window()

    def test_favourites_are_added_kept_across_a_restart_and_removed(self):
        catalogue, program = self.start_at_first_page()
        names = names_sent(FIRST_PAGE)
        body = program.stable_shot(LIST_BODY)
        self.choose_from_row_menu(program, self.row_centre(body, 2), MENU_ITEMS.index("加入收藏"))
        wait_until(program.notice_shown, 5, "the notice of the favourite")
        # Ctrl+D toggles the selected row.
        program.click(self.row_centre(body, 4))
        program.key("ctrl+d")

        self.restart(program)
        self.wait_for_fetch(program, catalogue, 2)
        body = self.show_view(program, FAVOURITES_BUTTON)
        self.assert_names(body, [names[3], names[1]])  # newest first
        self.assert_labels(program, "我的收藏", 2)
        self.assertEqual(len(catalogue.requests()), 2, "a view asks the catalogue nothing")

        # 取消收藏 takes the row out of the view at once.
        self.choose_from_row_menu(program, self.row_centre(body, 1), 1)
        body = program.stable_shot(ROWS)
        self.assert_names(body, [names[1]])
        self.assert_labels(program, "我的收藏", 1)

    def test_games_played_show_newest_first_and_paging_waits_for_the_catalogue(self):
        catalogue, program = self.start_at_first_page()
        names = names_sent(FIRST_PAGE)
        body = program.stable_shot(LIST_BODY)
        for row in (5, 2):
            program.activate()
            program.double_click(self.row_centre(body, row))
            wait_until(program.game_windows, 15, "the game window")
        program.activate()
        requests = len(catalogue.requests())

        body = self.show_view(program, RECENT_BUTTON)
        self.assert_names(body, [names[1], names[4]])
        self.assert_labels(program, "最近玩过", 2)
        for button in ("下页", "末页", "首页"):
            program.click(centre(paging_button(button)))
        self.assertEqual(program.stable_shot(ROWS).pixels, body.pixels)

        # A catalogue command leaves the view, and its request is the first since the view
        # showed: the paging buttons asked for nothing. Paging pages the catalogue again.
        self.run_command(program, catalogue, centre(section_button("热门游戏")), FIRST_PAGE,
                         since=requests)
        self.run_command(program, catalogue, centre(paging_button("下页")),
                         hot_list_target("0", 2))

    def test_a_second_start_brings_the_first_copy_forward_and_ends(self):
        catalogue, program = self.start_at_first_page()
        xdotool("windowminimize", "--sync", program.main.id)
        second = Program(self.work, catalogue.url, name="second").start()
        self.addCleanup(second.stop)
        self.assertEqual(second.wait_exit(30), 0)
        wait_until(lambda: xdotool("getactivewindow", check=False).strip() == program.main.id,
                   10, "the first copy's main window to be the active one")
        self.assertTrue(program.running())
        self.assertEqual(len(catalogue.requests()), 1, "the second copy fetched nothing")

    def test_a_copy_in_another_session_runs_without_writing_the_library(self):
        if not os.path.isfile(os.path.join(PLAIN_PREFIX, ".zentori-ready")):
            self.fail(f"no plain Wine prefix at {PLAIN_PREFIX} (make prefix makes it)")
        catalogue, program = self.start_at_first_page()
        # A Wine server of its own stands for another session: the first copy's mutex and
        # windows are not seen there, its library folder is.
        other = Program(self.work, catalogue.url, name="other", prefix=PLAIN_PREFIX).start()
        self.addCleanup(other.stop)
        other.wait_for_main_window(timeout=60)  # the prefix starts its services first
        body = self.wait_for_fetch(other, catalogue, 2)
        wait_until(other.notice_shown, 10, "the notice that the library is not written")
        library = os.path.join(program.library, "library.json")

        def favourite(copy, row):
            copy.activate()
            copy.click(self.row_centre(body, row))
            copy.key("ctrl+d")

        favourite(program, 1)
        saved = wait_until(lambda: os.path.isfile(library) and read(library), 10,
                           "the first copy to write the library")
        favourite(other, 2)
        # The copy has taken the change and decided about saving it.
        wait_until(lambda: "library: not saved (read-only for this run)" in other.log(), 10,
                   "the copy that does not own the library to leave it unsaved")
        self.assertTrue(other.running())
        self.assertEqual(read(library), saved, "the copy that does not own the library wrote it")

    def test_a_damaged_library_is_kept_aside_and_the_user_told(self):
        catalogue = self.start_catalogue()
        library = os.path.join(self.work, "library")
        os.makedirs(library)
        damaged = b'{"version": 1, "favourites": [{"name": "\xe5\x8d'
        with open(os.path.join(library, "library.json"), "wb") as f:
            f.write(damaged)
        program = self.start_program(catalogue)
        self.wait_for_fetch(program, catalogue, 1)

        wait_until(program.notice_shown, 10, "the notice")
        kept = glob.glob(os.path.join(library, "library.json.broken-*"))
        self.assertEqual(len(kept), 1, os.listdir(library))
        with open(kept[0], "rb") as f:
            self.assertEqual(f.read(), damaged)
        # A click closes it, and the library works, empty.
        program.click(centre(NOTICE))
        wait_until(lambda: not program.notice_shown(), 5, "the notice to close")
        self.show_view(program, FAVOURITES_BUTTON)
        self.assert_labels(program, "我的收藏", 0)


if __name__ == "__main__":
    unittest.main()
