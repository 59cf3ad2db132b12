"""Start-up as the user sees it: the first page of the hot list, fetched once, a program folder
whose pictures are missing, and a program that sleeps while nothing moves."""

import glob
import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    COMMUNITY_LABEL, GENRES, LIST, LIST_BODY, PAGE_COUNT_LABEL, PAGE_LABEL, PAGING, SEARCH_BOX,
    SEARCH_BUTTON, SECTIONS, TITLE_LABEL, ProgramTestCase, centre, genre_button, hot_list_target,
    paging_button, section_button)

FIRST_PAGE = hot_list_target("0", 1)
IDLE_SECONDS = 2


def context_switches(exe):
    """Thread id -> (name, context switches so far) of the Linux threads of the process running
    `exe`: every time a thread of the program woke up, for whatever reason, counts."""
    switches = {}
    for status in glob.glob("/proc/[0-9]*/status"):
        folder = os.path.dirname(status)
        try:
            with open(os.path.join(folder, "cmdline"), "rb") as f:
                if not f.read().startswith(exe.encode()):
                    continue
            for task in glob.glob(os.path.join(folder, "task", "*")):
                with open(os.path.join(task, "status")) as f:
                    fields = dict(line.split(":", 1) for line in f if ":" in line)
                switches[os.path.basename(task)] = (
                    fields["Name"].strip(), int(fields["voluntary_ctxt_switches"]) +
                    int(fields["nonvoluntary_ctxt_switches"]))
        except OSError:
            continue  # a process or thread that has just ended
    return switches


class StartupTest(ProgramTestCase):

    def test_first_screen_is_page_one_of_the_hot_list_fetched_once(self):
        catalogue, program = self.start_at_first_page()
        body = program.stable_shot(LIST_BODY)
        self.assertEqual(catalogue.requests()[:1], [FIRST_PAGE])
        self.assert_rows(body, FIRST_PAGE)

        # The labels are read by comparison with states whose texts are known: "共644页" is
        # what "最近更新" shows too, "第1页" what every section's first page shows.
        count_644 = program.shot(PAGE_COUNT_LABEL)
        page_1 = program.shot(PAGE_LABEL)
        # 共25页; its request is the second of all: the first page was fetched once.
        self.run_command(program, catalogue, centre(section_button("游戏工具")),
                         hot_list_target("9", 1), since=1)
        count_25 = program.shot(PAGE_COUNT_LABEL)
        program.click(centre(paging_button("下页")))  # 第2页
        self.wait_for_fetch(program, catalogue, 3)
        page_2 = program.shot(PAGE_LABEL)
        program.click(centre(section_button("最近更新")))  # 共644页, 第1页
        self.wait_for_fetch(program, catalogue, 4)

        self.assertEqual(program.shot(PAGE_COUNT_LABEL).pixels, count_644.pixels)
        self.assertEqual(program.shot(PAGE_LABEL).pixels, page_1.pixels)
        self.assertNotEqual(count_25.pixels, count_644.pixels)
        self.assertNotEqual(page_2.pixels, page_1.pixels)
        # One digit more than "共25页"; "第1页" and "第2页" alike as wide.
        self.assertIn(count_644.ink_span() - count_25.ink_span(), range(5, 10))
        self.assertIn(page_2.ink_span() - page_1.ink_span(), range(-1, 2))

    def test_without_pictures_every_widget_is_drawn_and_the_first_fetch_runs(self):
        catalogue, program = self.start_at_first_page(pictures=False)
        self.assertEqual(catalogue.requests(), [FIRST_PAGE])
        self.assert_rows(program.stable_shot(LIST_BODY), FIRST_PAGE)

        captioned = {f"section {name}": section_button(name) for name in SECTIONS}
        captioned.update({f"genre {name}": genre_button(name) for name in GENRES})
        captioned.update({f"paging {name}": paging_button(name) for name in PAGING})
        captioned.update({
            "search button": SEARCH_BUTTON, "search box": SEARCH_BOX,
            "page label": PAGE_LABEL, "page count label": PAGE_COUNT_LABEL,
            "title label": TITLE_LABEL, "community label": COMMUNITY_LABEL,
            "list header": (LIST[0], LIST[1], LIST[2], 24),
        })
        for what, region in captioned.items():
            with self.subTest(what):
                self.assertGreater(program.shot(region).ink_count(), 15, "no text drawn")
        # The section buttons have no icons: each shows one line of text, its caption.
        for name in SECTIONS:
            x, y, width, height = section_button(name)
            with self.subTest(f"icon of {name}"):
                lines = program.shot((x + 3, y + 3, width - 6, height - 6)).ink_rows()
                self.assertEqual(len(lines), 1, lines)
                self.assertLessEqual(lines[0][1] - lines[0][0], 14, lines)

    def test_an_idle_program_wakes_no_thread(self):
        catalogue, program = self.start_at_first_page()
        # A hover and a second fetch first: whatever they start must have stopped again.
        program.move(centre(LIST))
        program.click(centre(section_button("小游戏")))
        self.wait_for_fetch(program, catalogue, 2)
        program.move((-40, -40))  # off the window: nothing under the pointer
        time.sleep(0.5)
        before = context_switches(program.exe)
        self.assertTrue(before, "the program's process was not found")
        time.sleep(IDLE_SECONDS)
        after = context_switches(program.exe)
        woken = {f"{name} ({tid})": count - before.get(tid, (name, 0))[1]
                 for tid, (name, count) in after.items()
                 if count != before.get(tid, (name, 0))[1]}
        self.assertEqual(woken, {}, f"threads woken during {IDLE_SECONDS} s of idle")


if __name__ == "__main__":
    unittest.main()
