#include "app/diagnostics/crash_handler.h"

#include <dbghelp.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "app/diagnostics/diagnostics_log.h"

namespace {

// How long the crashed thread waits for the report before the process ends regardless.
constexpr DWORD kReportWaitMs = 60000;

// Everything the crash path needs, set up front: at a crash the heap may be damaged.
wchar_t gFolder[MAX_PATH];
std::atomic<bool> gReporting{false};  // a crash is being reported
std::atomic<DWORD> gReportThread{0};  // the thread writing that report

struct CrashJob {
    EXCEPTION_POINTERS* pointers;
    DWORD crashedThread;
};

const char* ExceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return "access violation";
        case EXCEPTION_STACK_OVERFLOW:
            return "stack overflow";
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return "integer division by zero";
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return "illegal instruction";
        case EXCEPTION_IN_PAGE_ERROR:
            return "in-page error";
        case EXCEPTION_BREAKPOINT:
            return "breakpoint";
        case 0xC0000409:
            return "stack buffer overrun";
        case 0x20474343:
            return "C++ exception";
        case CrashHandler::kTerminateCode:
            return "std::terminate";
        case CrashHandler::kPureCallCode:
            return "pure virtual call";
        case CrashHandler::kInvalidParameterCode:
            return "invalid CRT parameter";
        default:
            return "exception";
    }
}

// "zentori.exe+0x1a2b", or nothing when the address lies in no module.
std::string ModuleOffset(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        return {};
    }
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const char* name = path;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == '\\' || path[i] == '/') name = path + i + 1;
    char text[MAX_PATH + 32];
    std::snprintf(text, sizeof text, " (%s+0x%llx)", name,
                  static_cast<unsigned long long>(reinterpret_cast<const char*>(address) -
                                                  reinterpret_cast<const char*>(module)));
    return text;
}

void MakeFolder(const wchar_t* folder) {
    wchar_t partial[MAX_PATH];
    for (size_t i = 0; folder[i] != L'\0' && i + 1 < MAX_PATH; ++i) {
        if ((folder[i] == L'\\' || folder[i] == L'/') && i > 2) {
            wcsncpy(partial, folder, i);
            partial[i] = L'\0';
            CreateDirectoryW(partial, nullptr);
        }
    }
    CreateDirectoryW(folder, nullptr);
}

// A new report file named for the local time, "-2" ... when a report of that second exists.
HANDLE CreateReportFile(wchar_t (&path)[MAX_PATH], const wchar_t*& name) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (int n = 1; n < 10; ++n) {
        wchar_t suffix[8] = L"";
        if (n > 1) swprintf(suffix, 8, L"-%d", n);
        const int length =
            swprintf(path, MAX_PATH, L"%ls\\zentori-%04u%02u%02u-%02u%02u%02u%ls.dmp", gFolder,
                     now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, suffix);
        if (length < 0) return INVALID_HANDLE_VALUE;
        name = wcsrchr(path, L'\\') + 1;
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteDump(HANDLE file, const CrashJob& job) {
    using MiniDumpWriteDumpFunction =
        BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                      PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
    // The system's own dbghelp, never one a stranger left beside the program.
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH - 16);
    if (length == 0 || length >= MAX_PATH - 16) return false;
    wcscat(path, L"\\dbghelp.dll");
    HMODULE dbghelp = LoadLibraryW(path);
    const auto write =
        dbghelp ? reinterpret_cast<MiniDumpWriteDumpFunction>(
                      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")))
                : nullptr;
    if (!write) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception{job.crashedThread, job.pointers, FALSE};
    const auto type = static_cast<MINIDUMP_TYPE>(MiniDumpNormal | MiniDumpWithThreadInfo |
                                                 MiniDumpWithUnloadedModules);
    return write(GetCurrentProcess(), GetCurrentProcessId(), file, type, &exception, nullptr,
                 nullptr) != FALSE;
}

// The newest kKeptReports stay; the report names sort by time.
void RemoveOldReports() {
    wchar_t pattern[MAX_PATH];
    if (swprintf(pattern, MAX_PATH, L"%ls\\zentori-*.dmp", gFolder) < 0) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::pair<ULONGLONG, std::wstring>> reports;
    do {
        const ULONGLONG written = (ULONGLONG(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                  found.ftLastWriteTime.dwLowDateTime;
        reports.emplace_back(written, found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (reports.size() <= CrashHandler::kKeptReports) return;
    std::sort(reports.begin(), reports.end());
    for (size_t i = 0; i + CrashHandler::kKeptReports < reports.size(); ++i) {
        DeleteFileW((std::wstring(gFolder) + L"\\" + reports[i].second).c_str());
    }
}

DWORD WINAPI WriteReport(void* parameter) {
    const CrashJob& job = *static_cast<CrashJob*>(parameter);
    const EXCEPTION_RECORD& record = *job.pointers->ExceptionRecord;
    wchar_t path[MAX_PATH];
    const wchar_t* name = L"";
    HANDLE file = INVALID_HANDLE_VALUE;
    if (gFolder[0] != L'\0') {  // without a folder, never into the current one
        MakeFolder(gFolder);
        file = CreateReportFile(path, name);
    }
    bool written = false;
    if (file != INVALID_HANDLE_VALUE) {
        written = WriteDump(file, job);
        CloseHandle(file);
        if (!written) DeleteFileW(path);
    }
    if (written) {
        wchar_t marker[MAX_PATH];
        if (swprintf(marker, MAX_PATH, L"%ls\\%ls", gFolder, CrashHandler::kNewReportMarker) > 0) {
            HANDLE flag = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (flag != INVALID_HANDLE_VALUE) CloseHandle(flag);
        }
    }

    char line[512];
    std::snprintf(line, sizeof line, "crash: %s 0x%08lX at 0x%p%s on thread %lu, ",
                  ExceptionName(record.ExceptionCode), record.ExceptionCode,
                  record.ExceptionAddress, ModuleOffset(record.ExceptionAddress).c_str(),
                  job.crashedThread);
    std::string text = line;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        std::snprintf(line, sizeof line, "%s 0x%p, ",
                      record.ExceptionInformation[0] == 1   ? "writing"
                      : record.ExceptionInformation[0] == 8 ? "executing"
                                                            : "reading",
                      reinterpret_cast<void*>(record.ExceptionInformation[1]));
        text += line;
    }
    if (written) {
        std::snprintf(line, sizeof line, "report %ls", name);
    } else {
        std::snprintf(line, sizeof line, "no report could be written");
    }
    LogFinalEvent(text + line);
    if (written) RemoveOldReports();
    return 0;
}

[[noreturn]] void Report(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (gReporting.exchange(true)) {
        // A crash while the first is reported: in the report itself, the process ends now; in
        // any other thread, it waits for the end the first one brings.
        if (GetCurrentThreadId() == gReportThread.load())
            TerminateProcess(GetCurrentProcess(), code);
        for (;;)
            Sleep(INFINITE);
    }
    CrashJob job{pointers, GetCurrentThreadId()};
    DWORD reportThread = 0;
    HANDLE thread = CreateThread(nullptr, 0, WriteReport, &job, CREATE_SUSPENDED, &reportThread);
    if (thread) {
        gReportThread = reportThread;
        ResumeThread(thread);
        WaitForSingleObject(thread, kReportWaitMs);
        CloseHandle(thread);
    } else {
        gReportThread = GetCurrentThreadId();
        WriteReport(&job);  // no thread to be had: from here, as far as the stack reaches
    }
    TerminateProcess(GetCurrentProcess(), code);
    for (;;)
        Sleep(INFINITE);
}

// The crashes that raise no exception: one made up here, at the caller's place.
[[noreturn]] __attribute__((noinline)) void ReportHere(DWORD code) {
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = __builtin_return_address(0);
    EXCEPTION_POINTERS pointers{&record, &context};
    Report(&pointers);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
    Report(pointers);
}

void OnTerminate() {
    ReportHere(CrashHandler::kTerminateCode);
}

void __cdecl OnPureCall() {
    ReportHere(CrashHandler::kPureCallCode);
}

void __cdecl OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                                uintptr_t) {
    ReportHere(CrashHandler::kInvalidParameterCode);
}

// The C runtime DLL's own setter: the one the import library offers keeps the handler to itself
// (msvcrt.dll of old Windows had none), and msvcrt.dll's checks would never call it.
using SetInvalidParameterHandler = _invalid_parameter_handler(__cdecl*)(_invalid_parameter_handler);
SetInvalidParameterHandler RuntimeSetInvalidParameterHandler() {
    return reinterpret_cast<SetInvalidParameterHandler>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "_set_invalid_parameter_handler")));
}

}  // namespace

CrashHandler::CrashHandler(const std::filesystem::path& folder) {
    wcsncpy(gFolder, folder.c_str(), MAX_PATH - 1);
    gFolder[MAX_PATH - 1] = L'\0';
    previousFilter_ = SetUnhandledExceptionFilter(OnUnhandledException);
    previousTerminate_ = std::set_terminate(OnTerminate);
    previousPureCall_ = _set_purecall_handler(OnPureCall);
    previousInvalidParameter_ = _set_invalid_parameter_handler(OnInvalidParameter);
    if (const SetInvalidParameterHandler set = RuntimeSetInvalidParameterHandler()) {
        previousRuntimeInvalidParameter_ = set(OnInvalidParameter);
    }
}

CrashHandler::~CrashHandler() {
    if (const SetInvalidParameterHandler set = RuntimeSetInvalidParameterHandler()) {
        set(previousRuntimeInvalidParameter_);
    }
    _set_invalid_parameter_handler(previousInvalidParameter_);
    _set_purecall_handler(previousPureCall_);
    std::set_terminate(previousTerminate_);
    SetUnhandledExceptionFilter(previousFilter_);
}
