#include "app/main_window/main_window_access.h"

#include <oleacc.h>
#include <wrl/client.h>

namespace {

// The keys of MainWindowKeys, as a reader says them.
constexpr const char* kPagingKeys[kPagingButtonCount] = {"Alt+Home", "Alt+End", "Alt+←", "Alt+→"};

// Defined here: MinGW's import library gives data imports of oleacc.dll in place of GUIDs.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr MSAAPROPID kShortcutProperty = {
    0x7d9bceee, 0x7d1e, 0x4979, {0x93, 0x82, 0x51, 0x80, 0xf4, 0x17, 0x2c, 0x34}};

}  // namespace

void DescribeMainWindow(GlobalObjects& objects, std::function<void(int row)> openRow) {
    objects.LogoPicture().SetAccessibleName("Zentori网页游戏盒子");
    ListControl& list = objects.GameList();
    list.SetAccessibleName("游戏列表");
    list.SetItemTextColumns(2, 3);  // 游戏名称, 游戏介绍
    // The row becomes the selected one first, as a double-click on it would leave it.
    list.SetDefaultAction("开始游戏", [&list, openRow = std::move(openRow)](int row) {
        if (row < 1) return;
        list.SelectItem(row);
        if (openRow) openRow(row);
    });
    for (int i = 0; i < kPagingButtonCount; ++i)
        objects.PagingButtons(i).SetAccessibleShortcut(kPagingKeys[i]);
}

void DescribeSearchBox(HWND box) {
    Microsoft::WRL::ComPtr<IAccPropServices> services;
    if (!box || FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                        kAccPropServicesInterface,
                                        reinterpret_cast<void**>(services.GetAddressOf())))) {
        return;
    }
    services->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, kNameProperty, L"搜索");
    services->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, kShortcutProperty, L"Ctrl+F");
}
