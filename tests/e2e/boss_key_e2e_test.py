"""The boss key: Ctrl+Alt+B hides every window of the program and brings them back in their
order, also when pressed while another program has the keyboard; a copy that finds the key taken
says so and works on; starting the program again while it is hidden brings it back as the key
would."""

import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    LIST_BODY, Program, ProgramTestCase, centre, section_button, wait_until, xdotool)


class BossKeyTest(ProgramTestCase):

    def test_the_key_hides_the_program_and_brings_back_what_was_showing(self):
        catalogue, program = self.start_at_first_page()
        body = program.stable_shot(LIST_BODY)
        program.double_click(self.row_centre(body, 1))
        game = wait_until(program.game_windows, 15, "the game window")[0]
        program.activate()
        wait_until(lambda: program.stacking() == [program.main.id, game.id], 10,
                   "the main window over the game window")
        before = program.stacking()
        requests = len(catalogue.wait_for_requests(2))  # the first page, the game's page

        # A copy with a library of its own runs beside it and finds the key taken.
        other = Program(self.work, catalogue.url, name="other", library="other-library").start()
        self.addCleanup(other.stop)
        other.wait_for_main_window()
        self.wait_for_fetch(other, catalogue, requests + 1)
        wait_until(other.notice_shown, 10, "the notice that the key is taken")

        program.activate()
        program.key("ctrl+alt+b")
        wait_until(lambda: not program.windows(), 10, "the program's windows to go")
        self.assertTrue(other.windows(), "another program's windows stay")

        # Pressed while the other copy has the keyboard, the key still reaches its holder.
        other.activate()
        other.key("ctrl+alt+b")
        wait_until(lambda: program.stacking() == before, 10,
                   f"the windows {before} to come back in their order")
        # The other copy works on: its section buttons still fetch.
        self.run_command(other, catalogue, centre(section_button("小游戏")),
                         "/appweb/getcathotlist?cid=1&leaf_cid=7&sort=1&pn=1")

        # Hidden again, the program is started again: the running copy comes back as it was.
        program.activate()
        program.key("ctrl+alt+b")
        wait_until(lambda: not program.windows(), 10, "the program's windows to go")
        second = Program(self.work, catalogue.url, name="second").start()
        self.addCleanup(second.stop)
        self.assertEqual(second.wait_exit(30), 0)
        wait_until(lambda: program.stacking() == before, 10,
                   f"the windows {before} to come back in their order")
        wait_until(lambda: xdotool("getactivewindow", check=False).strip() == program.main.id,
                   10, "the main window to be the active one")


if __name__ == "__main__":
    unittest.main()
