// The running program as a screen reader meets it: a reader in a process of its own
// (accessibility_client.exe, beside this test) walks the main window's objects, presses a
// section button and opens a row by their default actions, and keeps an object past its
// window's end; an event hook hears the focus and the selection move with the Down key.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/browse/navigation.h"
#include "tests/support/program/running_program.h"
#include "tests/support/program/shared_program_test.h"
#include "tests/support/toolkit/test_form.h"
#include "text/text_utils.h"
#include "widgets/label.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');)
        fields.push_back(field);
    return fields;
}

// accessibility_client.exe with `arguments`, its output read (and this thread's messages
// dispatched, so the program answers it) while it runs.
class Reader {
public:
    explicit Reader(const std::wstring& arguments) {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command(path, length);
        command = L"\"" + command.substr(0, command.rfind(L'\\')) +
                  L"\\accessibility_client.exe\" " + arguments;
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE outWrite = nullptr, inRead = nullptr;
        CreatePipe(&out_, &outWrite, &inherit, 0);
        CreatePipe(&inRead, &in_, &inherit, 0);
        SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(in_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outWrite;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = inRead;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            process_ = process.hProcess;
            CloseHandle(process.hThread);
        }
        CloseHandle(outWrite);
        CloseHandle(inRead);
    }
    ~Reader() {
        if (process_) {
            if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
            CloseHandle(process_);
        }
        CloseHandle(out_);
        CloseHandle(in_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool Started() const { return process_ != nullptr; }

    // The next line; none when the reader ended or 30 s passed first.
    std::optional<std::string> Line() {
        const bool got = test::PumpUntil(
            [&] {
                DWORD available = 0;
                if (PeekNamedPipe(out_, nullptr, 0, nullptr, &available, nullptr) && available) {
                    std::string chunk(available, '\0');
                    DWORD read = 0;
                    ReadFile(out_, chunk.data(), available, &read, nullptr);
                    pending_.append(chunk, 0, read);
                }
                return pending_.find('\n') != std::string::npos ||
                       WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
            },
            30000);
        const size_t end = pending_.find('\n');
        if (!got || end == std::string::npos) return std::nullopt;
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        while (std::optional<std::string> line = Line())
            lines.push_back(*line);
        return lines;
    }
    void Say(const std::string& line) {
        DWORD written = 0;
        WriteFile(in_, (line + "\n").data(), static_cast<DWORD>(line.size() + 1), &written,
                  nullptr);
    }

private:
    HANDLE process_ = nullptr;
    HANDLE out_ = nullptr;
    HANDLE in_ = nullptr;
    std::string pending_;
};

std::wstring Hex(HWND window) {
    wchar_t text[32];
    swprintf(text, 32, L"%llX",
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

class AccessibilityTest : public test::SharedProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_->Started());
        if (program_->App().Game().IsOpen()) program_->App().Game().Close();
    }

    HWND Window() { return program_->Window(); }
    GlobalObjects& Objects() { return program_->Objects(); }
    ListControl& List() { return Objects().GameList(); }
    void FirstPage() {
        test::ClickWidget(Window(), Objects().SectionButtons(kHotGamesButton));
        log_.Take();
    }

    test::CatalogueLog log_;
};

TEST_F(AccessibilityTest, AReaderHearsEveryControlOfTheFirstPageByNameAndRole) {
    FirstPage();
    ASSERT_GE(List().RowCount(), 2);
    List().SelectedRow(0);
    struct Node {
        int depth;
        long role;
        std::string name;
        std::string value = {};
        std::string description = {};
        std::string shortcut = {};
    };
    std::vector<Node> expected = {
        {0, ROLE_SYSTEM_CLIENT, MainWindow::kTitle},
        {1, ROLE_SYSTEM_PUSHBUTTON, "最小化"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "最大化"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "关闭", "", "", "Alt+F4"},
    };
    for (const char* section :
         {"热门游戏", "小游戏", "网页游戏", "最近更新", "官方主页", "游戏工具", "皮肤更换"}) {
        expected.push_back({1, ROLE_SYSTEM_PUSHBUTTON, section});
    }
    expected.push_back({1, ROLE_SYSTEM_GRAPHIC, "Zentori网页游戏盒子"});
    for (const Genre& genre : kGenres)
        expected.push_back({1, ROLE_SYSTEM_PUSHBUTTON, genre.caption});
    expected.push_back({1, ROLE_SYSTEM_LIST, "游戏列表"});
    for (int row = 1; row <= List().RowCount(); ++row) {
        expected.push_back(
            {2, ROLE_SYSTEM_LISTITEM, List().GetCellText(row, 2), "", List().GetCellText(row, 3)});
    }
    const std::vector<Node> bottom = {
        {1, ROLE_SYSTEM_STATICTEXT, "第1页", "第1页"},
        {1, ROLE_SYSTEM_WINDOW, ""},  // the search box, the system's own
        {1, ROLE_SYSTEM_PUSHBUTTON, "搜索"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "首页", "", "", "Alt+Home"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "末页", "", "", "Alt+End"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "上页", "", "", "Alt+←"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "下页", "", "", "Alt+→"},
        {1, ROLE_SYSTEM_STATICTEXT, "共644页", "共644页"},
        {1, ROLE_SYSTEM_STATICTEXT, "玩家交流群：38615294", "玩家交流群：38615294"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "我的收藏"},
        {1, ROLE_SYSTEM_PUSHBUTTON, "最近玩过"},
        {1, ROLE_SYSTEM_STATICTEXT, "Zentori网页游戏盒子1.0", "Zentori网页游戏盒子1.0"},
    };
    expected.insert(expected.end(), bottom.begin(), bottom.end());

    Reader reader(L"tree " + Hex(Window()));
    ASSERT_TRUE(reader.Started());
    const std::vector<std::string> lines = reader.Lines();
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    ASSERT_EQ(lines.size(), expected.size()) << all;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Fields(lines[i]);
        ASSERT_GE(fields.size(), 7u) << lines[i];
        const Node& node = expected[i];
        EXPECT_EQ(fields[0], std::to_string(node.depth)) << lines[i];
        // The system's own objects of native windows, made in this process, do not cross to
        // another under Wine 8: there they answer nothing.
        if (node.role == ROLE_SYSTEM_WINDOW) continue;
        EXPECT_EQ(fields[1], std::to_string(node.role)) << lines[i];
        EXPECT_EQ(fields[2], node.name) << "object " << i;
        EXPECT_EQ(fields[3], node.value) << lines[i];
        EXPECT_EQ(fields[4], node.description) << lines[i];
        EXPECT_EQ(fields[6], node.shortcut) << lines[i];
        const long state = std::stol(fields[5]);
        if (node.role == ROLE_SYSTEM_PUSHBUTTON) {
            EXPECT_EQ(fields.size() > 7 ? fields[7] : "", "按下") << lines[i];
            EXPECT_EQ((state & STATE_SYSTEM_UNAVAILABLE) != 0, node.name == "最大化") << lines[i];
        }
        if (node.role == ROLE_SYSTEM_LISTITEM) {
            EXPECT_EQ(state & (STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED),
                      STATE_SYSTEM_SELECTABLE)
                << lines[i];
        }
    }
}

TEST_F(AccessibilityTest, DefaultActionsPressASectionButtonAndOpenARowsGame) {
    FirstPage();
    {
        Reader reader(L"action " + Hex(Window()) + L" 小游戏");
        EXPECT_EQ(reader.Lines(), std::vector<std::string>{"00000000"});
    }
    std::vector<std::string> targets;
    EXPECT_TRUE(test::PumpUntil(
        [&] {
            for (const std::string& target : log_.Take())
                targets.push_back(target);
            return !targets.empty();
        },
        10000));
    EXPECT_EQ(targets, std::vector<std::string>{test::HotListTarget("7", "1", 1)});

    ASSERT_GE(List().RowCount(), 2);
    {
        Reader reader(L"action " + Hex(Window()) + L" 游戏列表 2");
        EXPECT_EQ(reader.Lines(), std::vector<std::string>{"00000000"});
    }
    EXPECT_TRUE(test::PumpUntil([&] { return program_->App().Game().IsOpen(); }, 10000));
    EXPECT_EQ(program_->App().Game().GameLink(), List().GetCellText(2, 4));
    EXPECT_EQ(List().SelectedRow(), 2);
}

// What a reader's event hook hears: event, object id, child id and the object's name.
std::vector<std::string> heardEvents;

void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                        DWORD) {
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    std::string name;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, objectId, childId, &object, &child))) {
        BSTR text = nullptr;
        if (object->get_accName(child, &text) == S_OK) {
            name = WideToAnsi(reinterpret_cast<const char16_t*>(text));
        }
        SysFreeString(text);
        object->Release();
    }
    heardEvents.push_back(std::to_string(event) + " " + std::to_string(objectId) + " " +
                          std::to_string(childId) + " " + name);
}

// The hook is in this process: Wine 8 delivers no event of one process to an out-of-context
// hook of another.
TEST_F(AccessibilityTest, DownInTheListTellsReadersTheFocusAndTheSelectionMoved) {
    FirstPage();
    ASSERT_GE(List().RowCount(), 2);
    program_->App().Keys().FocusList();
    List().SelectedRow(1);
    heardEvents.clear();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, HearEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    test::PressKey(Window(), VK_DOWN);
    EXPECT_EQ(List().SelectedRow(), 2);
    const std::string tail =
        " " + std::to_string(List().GetId()) + " 2 " + List().GetCellText(2, 2);
    const std::vector<std::string> expected = {std::to_string(EVENT_OBJECT_FOCUS) + tail,
                                               std::to_string(EVENT_OBJECT_SELECTION) + tail};
    EXPECT_TRUE(test::PumpUntil([&] { return heardEvents.size() >= 2; }, 10000));
    UnhookWinEvent(hook);
    EXPECT_EQ(heardEvents, expected);
}

TEST_F(AccessibilityTest, AnObjectKeptPastItsWindowAnswersNotConnected) {
    test::TestForm form;
    Label label;
    label.Create(form.Handle(), "标签", 10, 10, 80, 20);
    Reader reader(L"keep " + Hex(form.Handle()));
    ASSERT_EQ(reader.Line(), "ready 标签");
    form.DestroyWindow();
    reader.Say("go");
    // The client's name, its child count, the label's name and its default action.
    EXPECT_EQ(reader.Line(), "800401FD\t800401FD\t800401FD\t800401FD");
}

}  // namespace
