// A screen reader's side of the accessibility tests, in a process of its own as a reader is: it
// reaches the window given (a handle in hex) through oleacc alone and prints what it finds, one
// line per object, fields separated by tabs, in UTF-8. Commands:
//   tree HWND                 every object under the window's client object: depth, role,
//                             name, value, description, state, shortcut, default action
//   action HWND NAME [ITEM]   the default action of the client's child named NAME (of its item)
//   keep HWND                 keeps the client object and its first child, says "ready", and
//                             after a line on its input prints what both answer then
#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kGbk = 936;

std::string Gbk(const wchar_t* text) {
    if (!text) return {};
    const int size = WideCharToMultiByte(kGbk, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(kGbk, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

VARIANT Child(long id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::string Word(IAccessible* object, long id,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    (object->*get)(Child(id), &text);
    std::string word = Gbk(text);
    SysFreeString(text);
    return word;
}

long Number(IAccessible* object, long id,
            HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT value;
    VariantInit(&value);
    (object->*get)(Child(id), &value);
    return value.vt == VT_I4 ? value.lVal : -1;
}

std::string Describe(IAccessible* object, long id, int depth) {
    return std::to_string(depth) + "\t" +
           std::to_string(Number(object, id, &IAccessible::get_accRole)) + "\t" +
           Word(object, id, &IAccessible::get_accName) + "\t" +
           Word(object, id, &IAccessible::get_accValue) + "\t" +
           Word(object, id, &IAccessible::get_accDescription) + "\t" +
           std::to_string(Number(object, id, &IAccessible::get_accState)) + "\t" +
           Word(object, id, &IAccessible::get_accKeyboardShortcut) + "\t" +
           Word(object, id, &IAccessible::get_accDefaultAction);
}

// The children of `object`: full objects, or simple elements of it (object null, id set).
struct Found {
    ComPtr<IAccessible> object;
    long id = CHILDID_SELF;
};

std::vector<Found> Children(IAccessible* object) {
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long obtained = 0;
    std::vector<Found> found;
    if (count == 0 || FAILED(AccessibleChildren(object, 0, count, children.data(), &obtained))) {
        return found;
    }
    for (long i = 0; i < obtained; ++i) {
        Found child;
        if (children[i].vt == VT_DISPATCH && children[i].pdispVal) {
            children[i].pdispVal->QueryInterface(__uuidof(IAccessible), &child.object);
        } else if (children[i].vt == VT_I4) {
            child.id = children[i].lVal;
        }
        VariantClear(&children[i]);
        found.push_back(std::move(child));
    }
    return found;
}

void Walk(IAccessible* object, int depth) {
    for (const Found& child : Children(object)) {
        if (!child.object) {
            Say(Describe(object, child.id, depth));
            continue;
        }
        Say(Describe(child.object.Get(), CHILDID_SELF, depth));
        // Native windows are the system's: their insides are not ours to list.
        if (Number(child.object.Get(), CHILDID_SELF, &IAccessible::get_accRole) !=
            ROLE_SYSTEM_WINDOW) {
            Walk(child.object.Get(), depth + 1);
        }
    }
}

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof(text), "%08lX", static_cast<unsigned long>(result));
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    CoInitialize(nullptr);
    const std::wstring command = argv[1];
    const auto window = reinterpret_cast<HWND>(std::wcstoull(argv[2], nullptr, 16));
    ComPtr<IAccessible> client;
    const HRESULT found =
        AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                   reinterpret_cast<void**>(client.GetAddressOf()));
    if (FAILED(found)) {
        Say("no object " + Hex(found));
        return 1;
    }
    if (command == L"tree") {
        Say(Describe(client.Get(), CHILDID_SELF, 0));
        Walk(client.Get(), 1);
    } else if (command == L"action" && argc >= 4) {
        const std::string name = Gbk(argv[3]);
        const long item = argc >= 5 ? std::wcstol(argv[4], nullptr, 10) : CHILDID_SELF;
        for (const Found& child : Children(client.Get())) {
            if (child.object && Word(child.object.Get(), 0, &IAccessible::get_accName) == name) {
                Say(Hex(child.object->accDoDefaultAction(Child(item))));
                return 0;
            }
        }
        Say("not found");
    } else if (command == L"keep") {
        const std::vector<Found> children = Children(client.Get());
        if (children.empty() || !children[0].object) return 1;
        Say("ready " + Word(children[0].object.Get(), 0, &IAccessible::get_accName));
        char line[16];
        std::fgets(line, sizeof(line), stdin);
        BSTR name = nullptr;
        long count = 0;
        Say(Hex(client->get_accName(Child(0), &name)) + "\t" +
            Hex(client->get_accChildCount(&count)) + "\t" +
            Hex(children[0].object->get_accName(Child(0), &name)) + "\t" +
            Hex(children[0].object->accDoDefaultAction(Child(0))));
    }
    return 0;
}
