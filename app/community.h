// The player community group, shown on the main window and in the game window's status bar.
#pragma once

constexpr char kCommunityGroupNumber[] = "386152947";
