// The program directory: the folder of the running executable, without a trailing separator.
// The skins and icons are found below it.
#pragma once

#include <string>
#include <string_view>

// The executable's full path (UTF-16, as the system names it); empty when the system cannot
// tell.
std::wstring ExecutablePath();
std::wstring ExecutableFileName();  // the last part of ExecutablePath()
std::wstring ProgramDirectoryWide();
// GBK, for the toolkit's GBK path operations. A folder whose name GBK cannot hold is given by
// its short (8.3) name when the volume keeps one; otherwise the result is empty.
std::string ProgramDirectory();

// `path` (UTF-16) as a GBK path that names the same file: the path itself when GBK holds every
// character, else its short (8.3) form when that is plain GBK; empty when neither is possible.
std::string GbkPathFor(std::wstring_view path);
