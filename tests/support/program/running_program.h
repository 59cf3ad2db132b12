// Test helpers for the whole program in the test's own process: the real Application started
// on the test's thread and driven with real mouse and key messages, and the sample catalogue
// it talks to (its request log and its run-time mode switch). The catalogue's address comes
// from ZENTORI_CATALOGUE_URL and its log from ZENTORI_SERVER_LOG, as scripts/with-server
// exports them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "widgets/form_widget.h"

namespace test {

// The program from start-up (the first screen is up when the constructor returns) to shutdown:
// the destructor closes the main window, runs the message loop to its end and shuts down.
class RunningProgram {
public:
    RunningProgram();
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return started_; }
    Application& App() { return *application_; }
    GlobalObjects& Objects() { return application_->Objects(); }
    HWND Window() const { return application_->Main().Handle(); }

    // Presses `key` with `held` down, as the keyboard does (to the window that has the
    // keyboard), and runs the program's message loop steps until the keys are up again and the
    // messages they made are handled (a fetch a key starts runs to its end meanwhile, its own
    // loop reading what comes).
    void Press(UINT key, std::vector<UINT> held = {});

private:
    std::unique_ptr<Application> application_;
    bool started_ = false;
};

// A left click in the middle of a widget of `window`, as the mouse delivers it. Returns when
// the widget's command has finished, a fetch included.
void ClickWidget(HWND window, const FormWidget& widget);

// Keys into an edit box, as the keyboard delivers them: key down, character, key up.
void TypeText(HWND edit, std::wstring_view text);
void PressKey(HWND edit, UINT virtualKey);

// The loading window, while one is on show (it is kept hidden between fetches).
HWND FindLoadingWindow();

// library.json in the library folder CTest gives the test (the folder is made if need be).
std::filesystem::path LibraryFile();
// What the main window's notice strip shows (GBK); empty when it is hidden.
std::string ShownNotice(const NoticeBar& notices);

// The targets (path and query) the program requests from the catalogue: page `page` of a hot
// list in `sort` order ("1"; "2" is 最近更新's), and a search for a percent-encoded keyword.
std::string HotListTarget(const char* key, const char* sort, int page);
std::string SearchTarget(const std::string& keyword);

// The sample catalogue's request log: the targets (path and query) requested since the last
// call of Take, oldest first.
class CatalogueLog {
public:
    std::vector<std::string> Take();

private:
    size_t read_ = 0;  // bytes of the log already taken
};

// The process's GDI and USER objects, as GetGuiResources counts them. Wine's GetGuiResources
// counts nothing; there the GDI objects are counted by probing every handle slot (icons hold
// GDI bitmaps, so a leaked icon shows too) and the USER objects as this process's windows.
struct GuiObjects {
    DWORD gdi = 0;
    DWORD user = 0;
};
GuiObjects CountGuiObjects();

// Switches how the sample catalogue answers (normal, garbage, error, close, stall); switching
// away from stall releases the requests it holds. False when the catalogue did not confirm.
bool SetCatalogueMode(std::string_view mode);

}  // namespace test
