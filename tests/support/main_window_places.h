// Where the main window puts what both the toolkit tests and the end-to-end tests look at, in
// 96-dpi client pixels, as the program lays it out: one table for both (e2e_support.py reads
// the numbers from this file), so a change to the layout is made here once.
#pragma once

namespace main_window_places {

constexpr int kWindowSize[] = {715, 552};         // width, height
constexpr int kGameList[] = {150, 95, 560, 400};  // x, y, width, height
// Column widths: 索引, 游戏名称, 游戏介绍 and the hidden link column 连接.
constexpr int kGameListColumns[] = {40, 180, 320, 0};

}  // namespace main_window_places
