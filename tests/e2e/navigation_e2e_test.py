"""Sections, paging, genres and the search box, clicked and typed as a user would: each command
sends its one catalogue request and the list shows what came back; 官方主页 asks the system to
open the homepage in the browser. While a fetch runs the main window takes no clicks."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
from e2e_support import (  # noqa: E402
    GENRES, LIST_BODY, PAGE_COUNT_LABEL, PAGE_LABEL, SEARCH_BOX, SEARCH_BUTTON, SKIN_PATCHES,
    ProgramTestCase,
    centre, genre_button, genre_key, hot_list_target, paging_button, search_target,
    section_button, wait_until)

# Section caption, category key and the page count it shows.
LIST_SECTIONS = [("小游戏", "7", 619), ("网页游戏", "8", 2), ("最近更新", "100", 644),
                 ("游戏工具", "9", 25), ("热门游戏", "0", 644)]


def paging(name):
    return centre(paging_button(name))


class NavigationTest(ProgramTestCase):

    def test_each_list_section_fetches_page_one_of_its_category(self):
        catalogue, program = self.start_at_first_page()
        first_count = program.shot(PAGE_COUNT_LABEL)
        first_page = program.shot(PAGE_LABEL)
        counts = {}
        for caption, key, page_count in LIST_SECTIONS:
            with self.subTest(caption):
                target = hot_list_target(key, 1)
                body = self.run_command(program, catalogue, centre(section_button(caption)),
                                        target)
                self.assert_rows(body, target)
                self.assertEqual(program.shot(PAGE_LABEL).pixels, first_page.pixels, "第1页")
                counts.setdefault(page_count, []).append(program.shot(PAGE_COUNT_LABEL))
        # Equal page counts look alike, different ones differ; more digits, wider text.
        self.assertEqual(counts[644][0].pixels, first_count.pixels)
        self.assertEqual(counts[644][1].pixels, first_count.pixels)
        pictures = [counts[n][0].pixels for n in (619, 2, 25, 644)]
        self.assertEqual(len(set(pictures)), 4, "page counts 619, 2, 25 and 644 look alike")
        widths = [counts[n][0].ink_span() for n in (2, 25, 619, 644)]
        self.assertLess(widths[0], widths[1])
        self.assertLess(widths[1], widths[2])
        self.assertIn(widths[3] - widths[2], range(-1, 2))

    def test_the_section_mark_follows_the_section_shown(self):
        catalogue, program = self.start_at_first_page()

        def looks():
            program.move(centre(SKIN_PATCHES[0]))  # the pointer's hover look is not the mark
            return [program.stable_shot(section_button(c)) for c in ("热门游戏", "小游戏")]
        first = looks()
        self.run_command(program, catalogue, centre(section_button("小游戏")),
                         hot_list_target("7", 1))
        moved = looks()
        # The mark (a plate behind icon and caption) left 热门游戏 and went to 小游戏.
        for before, after in zip(first, moved):
            self.assertGreater(before.difference(after), 2)
        # A genre's search leaves the mark where paging will return.
        self.run_command(program, catalogue, centre(genre_button("策略")),
                         search_target(genre_key("策略")))
        self.assertEqual([shot.pixels for shot in looks()], [shot.pixels for shot in moved])

    def test_the_homepage_section_opens_the_homepage_in_the_browser(self):
        # Wine hands a web address to the desktop's xdg-open, found on the Unix PATH: a stand-in
        # there writes down what it was asked to open.
        tools = os.path.join(self.work, "tools")
        opened = os.path.join(self.work, "opened.txt")
        os.makedirs(tools)
        stand_in = os.path.join(tools, "xdg-open")
        with open(stand_in, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >>'{opened}'\n")
        os.chmod(stand_in, 0o755)
        homepage = "http://127.0.0.1:9"  # nothing listens: the hidden page goes nowhere
        catalogue, program = self.start_at_first_page(environment={
            "PATH": tools + os.pathsep + os.environ.get("PATH", ""),
            "ZENTORI_HOMEPAGE_URL": homepage})

        program.click(centre(section_button("官方主页")))

        def asked():
            if not os.path.exists(opened):
                return None
            with open(opened) as f:
                text = f.read()
            return text if text.endswith("\n") else None
        self.assertEqual(wait_until(asked, 20, "the browser to be asked").splitlines(),
                         [homepage + "/game.htm"])
        self.assertFalse(program.notice_shown(), "无法打开浏览器")
        self.assertEqual(len(catalogue.requests()), 1)

    def test_paging_buttons_step_through_the_hot_list(self):
        catalogue, program = self.start_at_first_page()
        first_body = program.stable_shot(LIST_BODY)
        first_page = program.shot(PAGE_LABEL)

        program.click(paging("上页"))  # already on page 1: the next request is the second
        since = 1
        for button, page in [("下页", 2), ("下页", 3), ("上页", 2), ("末页", 644)]:
            with self.subTest(f"{button} to page {page}"):
                target = hot_list_target("0", page)
                body = self.run_command(program, catalogue, paging(button), target, since)
                since = None
                self.assert_rows(body, target)
                self.assertNotEqual(program.shot(PAGE_LABEL).pixels, first_page.pixels)
        last_page = program.shot(PAGE_LABEL)
        self.assertIn(last_page.ink_span() - first_page.ink_span(), range(11, 17),
                      "第644页 is two digits wider than 第1页")
        program.click(paging("下页"))  # already on the last page: nothing asked for
        body = self.run_command(program, catalogue, paging("末页"), hot_list_target("0", 644),
                                since=5)
        body = self.run_command(program, catalogue, paging("首页"), hot_list_target("0", 1))
        self.assertEqual(body.pixels, first_body.pixels)
        self.assertEqual(program.shot(PAGE_LABEL).pixels, first_page.pixels)

    def test_genre_buttons_search_for_their_names(self):
        catalogue, program = self.start_at_first_page()
        show_rows = {"策略", "角色扮演", "找茬"}
        for genre in GENRES:
            with self.subTest(genre):
                target = search_target(genre_key(genre))
                body = self.run_command(program, catalogue, centre(genre_button(genre)), target)
                if genre in show_rows:
                    self.assert_rows(body, target)
        # Paging after a search pages the hot list of the last section, not the search.
        target = hot_list_target("0", 2)
        self.assert_rows(self.run_command(program, catalogue, paging("下页"), target), target)

    def test_typed_keyword_is_searched_on_enter_and_with_the_search_button(self):
        catalogue, program = self.start_at_first_page()
        program.click(centre(SEARCH_BOX))
        program.key("End", "shift+Home", "BackSpace")
        program.type("Puzzle")

        # Keys other than Enter search nothing: Enter's request is the second of all.
        target = search_target("Puzzle")
        before = 1
        program.key("Return")
        body = self.wait_for_fetch(program, catalogue, before + 1)
        self.assertEqual(catalogue.requests()[before:], [target])
        self.assert_rows(body, target)

        body = self.run_command(program, catalogue, centre(SEARCH_BUTTON), target)
        self.assert_rows(body, target)

    def test_clicks_during_a_fetch_are_ignored(self):
        catalogue, program = self.start_at_first_page()
        catalogue.set_mode("stall")  # requests are read, logged and held
        program.click(centre(section_button("小游戏")))
        catalogue.wait_for_requests(2)
        wait_until(program.loading_window_shown, 10, "the loading window")

        for point in [centre(section_button("网页游戏")), centre(genre_button("策略")),
                      paging("下页"), centre(SEARCH_BUTTON)]:
            program.click(point)
        self.assertTrue(program.loading_window_shown())

        # Released, the held request is answered; none of the clicks runs, then or afterwards:
        # the next command's request is the third of all.
        catalogue.set_mode("normal")
        body = self.wait_for_fetch(program, catalogue, 2)
        self.assert_rows(body, hot_list_target("7", 1))
        # The page count is 小游戏's (共619页), which "网页游戏" would have replaced (共2页).
        count_619 = program.shot(PAGE_COUNT_LABEL)
        self.run_command(program, catalogue, centre(section_button("网页游戏")),
                         hot_list_target("8", 1), since=2)
        self.assertNotEqual(program.shot(PAGE_COUNT_LABEL).pixels, count_619.pixels)


if __name__ == "__main__":
    unittest.main()
