"""When the catalogue is down, slow or wrong, as a user meets it: the page on screen stays, a
notice in the list area names the cause, F5 tries again, Esc gives control back during a wait,
the loading window cannot get lost behind the program's other windows, and closing the program
from outside during a fetch ends it cleanly."""

import os
import re
import subprocess
import sys
import time
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    CLOSE_BUTTON_CENTRE, LIST_BODY, LIST_ROWS, NOTICE, MAIN_TITLE, PAGE_LABEL, SEARCH_BOX, WINE_RUN, ProgramTestCase,
    centre, hot_list_target, paging_button, screenshot, text_width, wait_until, xdotool)

FIRST_PAGE = hot_list_target("0", 1)
SECOND_PAGE = hot_list_target("0", 2)
NEXT_PAGE = centre(paging_button("下页"))
RETRY = "，按 F5 或点击这里重试"


def screenshot_of(window):
    """What the screen shows inside a window's border, wherever the window is now."""
    x, y = window.client_origin()
    return screenshot(x + 2, y + 2, window.width - 4, window.height - 4)


def notice_ink(program):
    """Width of the notice's text on screen (its frame left out)."""
    x, y, width, height = NOTICE
    return program.shot((x + 3, y + 3, width - 6, height - 6)).ink_span()


class FetchFailureTest(ProgramTestCase):

    def assert_notice(self, program, text):
        """The notice is up and its text is about as wide as `text`."""
        wait_until(program.notice_shown, 10, "the fetch notice")
        expected = text_width(text)
        self.assertLessEqual(abs(notice_ink(program) - expected), 6 + expected // 10, text)

    def wait_for_loading_window(self, program):
        return wait_until(program.loading_window, 10, "the loading window")

    def test_unreachable_at_start_says_so_and_f5_loads_the_first_page_once_it_is_back(self):
        down = self.start_catalogue(mode="down")
        program = self.start_program(down)
        self.assert_notice(program, "无法连接到游戏目录服务" + RETRY)
        self.assertFalse(program.loading_window_shown())
        self.assertEqual(program.shot(LIST_ROWS).ink_rows(), [], "an empty list")

        # Back on the port it held all along.
        down.come_up()
        program.activate()
        program.key("F5")
        body = self.wait_for_fetch(program, down, 1)
        self.assertEqual(down.requests(), [FIRST_PAGE])
        self.assert_rows(body, FIRST_PAGE)
        self.assertFalse(program.notice_shown())

    def test_a_failed_page_stays_on_screen_and_f5_in_the_search_box_asks_again(self):
        catalogue, program = self.start_at_first_page()
        rows, page = program.stable_shot(LIST_ROWS), program.shot(PAGE_LABEL)

        catalogue.set_mode("error")
        program.click(NEXT_PAGE)
        self.wait_for_fetch(program, catalogue, 2)
        self.assert_notice(program, "游戏目录服务出错（HTTP 500）" + RETRY)
        self.assertEqual(program.stable_shot(LIST_ROWS).pixels, rows.pixels)
        self.assertEqual(program.shot(PAGE_LABEL).pixels, page.pixels)

        catalogue.set_mode("normal")
        program.click(centre(SEARCH_BOX))
        program.key("F5")
        body = self.wait_for_fetch(program, catalogue, 3)
        self.assertEqual(catalogue.requests()[2:], [SECOND_PAGE])
        self.assert_rows(body, SECOND_PAGE)
        self.assertFalse(program.notice_shown())

    def test_the_log_tells_of_the_failed_fetch_and_of_a_library_save(self):
        catalogue, program = self.start_at_first_page()
        body = program.stable_shot(LIST_BODY)
        catalogue.set_mode("error")
        program.click(NEXT_PAGE)
        self.wait_for_fetch(program, catalogue, 2)
        self.assert_notice(program, "游戏目录服务出错（HTTP 500）" + RETRY)
        program.click(self.row_centre(body, 1))
        program.key("ctrl+d")
        program.click(CLOSE_BUTTON_CENTRE)
        self.assertEqual(program.wait_exit(20), 0)

        log = program.log()
        url = re.escape(catalogue.url + SECOND_PAGE)
        self.assertRegex(log, rf"\] fetch page {url}: HTTP error, HTTP 500, \d+ bytes, \d+ ms\r\n")
        self.assertIn("] notice: 游戏目录服务出错（HTTP 500）" + RETRY + "\r\n", log)
        self.assertRegex(log, r"\] library: saved\r\n")

    def test_esc_during_a_stall_gives_control_back_and_the_page_stays(self):
        catalogue, program = self.start_at_first_page()
        rows = program.stable_shot(LIST_ROWS)
        catalogue.set_mode("stall")
        program.click(NEXT_PAGE)
        loading = self.wait_for_loading_window(program)
        first_text = screenshot_of(loading)
        # After about two seconds the window also says that Esc cancels.
        wait_until(lambda: screenshot_of(loading).pixels != first_text.pixels, 20,
                   "the loading window to say that Esc cancels", interval=0.2)

        # Long before the stalled fetch would end by itself (its receive time-out is 18 s);
        # the cancel's own latency is printed by the loading window benchmark.
        started = time.monotonic()
        program.key("Escape")
        wait_until(lambda: not program.loading_window_shown(), 12, "the loading window to go")
        print(f"\nEsc during a stall: control back after {time.monotonic() - started:.2f} s")
        self.assertEqual(program.stable_shot(LIST_ROWS).pixels, rows.pixels)
        self.assertFalse(program.notice_shown(), "a cancel is no failure")

        # The next command works, and pages on from the page still on screen.
        catalogue.set_mode("normal")
        body = self.run_command(program, catalogue, NEXT_PAGE, SECOND_PAGE)
        self.assert_rows(body, SECOND_PAGE)

    def test_the_loading_window_stays_in_front_of_the_game_window(self):
        catalogue, program = self.start_at_first_page()
        body = program.stable_shot(LIST_BODY)
        first, last = body.crop(0, 0, 60, body.height).ink_rows()[0]
        program.double_click((LIST_BODY[0] + 200, LIST_BODY[1] + (first + last) // 2))
        game = wait_until(program.game_windows, 15, "the game window")[0]

        program.activate()
        catalogue.set_mode("stall")
        program.click(NEXT_PAGE)
        loading = self.wait_for_loading_window(program)
        shown = screenshot_of(loading)
        face = shown.pixel(shown.width - 2, shown.height // 2)  # right of the text

        def in_front():
            return screenshot_of(loading).share_of(face) > 0.6

        self.assertTrue(in_front())

        def active():
            return xdotool("getactivewindow", check=False).strip()

        # The maximised game window brought forward, as from the taskbar (asked again while the
        # window manager drops it): once it has come forward, the loading window comes back in
        # front of it with the keyboard.
        asked = [0.0]

        def game_forward():
            if game.id in (active(), program.stacking()[0]):
                return True
            if time.monotonic() - asked[0] > 0.5:
                xdotool("windowactivate", game.id, check=False)
                asked[0] = time.monotonic()
            return False
        wait_until(game_forward, 10, "the game window brought forward", interval=0.01)
        wait_until(lambda: in_front() and active() == str(loading.id), 10,
                   "the loading window back in front of the game window")
        # The disabled main window, brought forward and clicked: the loading window comes with
        # it, as a modal dialog does.
        program.activate(expect=loading)
        program.click((300, 300))
        wait_until(lambda: in_front() and active() == str(loading.id), 10,
                   "the loading window in front after the click")
        catalogue.set_mode("normal")
        self.wait_for_fetch(program, catalogue, 3)  # the game's own page was the second

    def close_during_a_stall(self, name, command):
        """Runs `command` (a Windows program) while a fetch stalls: the program must end with
        exit code 0 soon after the message, not when the stalled fetch ends by itself."""
        catalogue, program = self.start_at_first_page()
        catalogue.set_mode("stall")
        program.click(NEXT_PAGE)
        self.wait_for_loading_window(program)
        started = time.monotonic()
        closer = subprocess.Popen([WINE_RUN, *command], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        # The closer sends its message just before it ends (starting it under Wine takes a
        # while); the stalled fetch would hold a program that waited for it until its receive
        # time-out, 18 s after the click.
        closer.wait(60)
        closed = time.monotonic() - started
        self.assertEqual(program.wait_exit(10), 0)
        ended = time.monotonic() - started
        print(f"\n{name} during a stall: the program ended {ended:.2f} s after the closer "
              f"started, which ran {closed:.2f} s")

    def test_taskkill_during_a_stall_ends_the_program_with_code_0(self):
        self.close_during_a_stall("taskkill", ["taskkill", "/im", "zentori.exe"])

    def test_the_session_ending_during_a_stall_ends_the_program_with_code_0(self):
        end_session = os.path.join(os.environ.get("ZENTORI_BIN_DIR", ""), "end_session.exe")
        self.close_during_a_stall("session end", [end_session, MAIN_TITLE])


if __name__ == "__main__":
    unittest.main()
