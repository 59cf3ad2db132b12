// The player community group, shown on the main window and in the game window's status bar.
// Eight digits: with "玩家交流 QQ群：" it fits the 160 pixels the game window's status bar
// keeps for it.
#pragma once

constexpr char kCommunityGroupNumber[] = "38615294";
