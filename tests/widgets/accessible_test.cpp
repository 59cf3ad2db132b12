// The accessible objects of a skinned form, read in this process as oleacc hands them out: the
// reading order of laid-out rectangles (a table), where the objects say they are and what lies
// under a point, navigation, a default action pressing a button and a selection taking a row,
// and an object outliving its widget and its window.
#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/toolkit/test_form.h"
#include "text/text_utils.h"
#include "widgets/accessible.h"
#include "widgets/label.h"
#include "widgets/list_control.h"
#include "widgets/text_button.h"

using Microsoft::WRL::ComPtr;

namespace {

TEST(ReadingOrderTest, BandsThenColumnsWithAlignedColumnsReadAsAGrid) {
    struct Case {
        const char* what;
        std::vector<RECT> rects;  // left, top, right, bottom
        std::vector<size_t> order;
    };
    const Case cases[] = {
        {"a band above another", {{0, 50, 10, 60}, {0, 0, 10, 10}}, {1, 0}},
        {"columns of one band", {{50, 0, 60, 40}, {0, 10, 10, 20}}, {1, 0}},
        {"a two-column grid beside a tall list reads row by row, then the list",
         {{150, 0, 300, 100},
          {80, 0, 140, 20},
          {10, 0, 70, 20},
          {10, 25, 70, 45},
          {80, 25, 140, 45}},
         {2, 1, 3, 4, 0}},
        {"what overlaps every way reads top to bottom, then left to right",
         {{5, 5, 50, 50}, {0, 0, 40, 40}, {30, 0, 60, 30}},
         {1, 2, 0}},
        {"a band of columns whose first two overlap",
         {{150, 0, 210, 20}, {208, 1, 328, 19}, {330, 0, 380, 20}},
         {0, 1, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadingOrder(c.rects), c.order) << c.what;
}

std::string Name(IAccessible* object, long child = CHILDID_SELF) {
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR text = nullptr;
    if (object->get_accName(id, &text) != S_OK) return {};
    std::string name = WideToAnsi(reinterpret_cast<const char16_t*>(text));
    SysFreeString(text);
    return name;
}

VARIANT Child(long id) {
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

ComPtr<IAccessible> Object(const VARIANT& found) {
    ComPtr<IAccessible> object;
    if (found.vt == VT_DISPATCH) found.pdispVal->QueryInterface(__uuidof(IAccessible), &object);
    return object;
}

class AccessibleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        label_.Create(form_.Handle(), "标签", 10, 10, 80, 20);
        button_->Create(form_.Handle(), "按钮", 100, 10, 60, 20);
        button_->SetClickHandler([this] { ++clicks_; });
        list_.Create(form_.Handle(), 10, 40, 200, 150);
        ListViewOptions view;
        view.selectionEnabled = true;
        list_.SetColumns({{"名称", 0, 180}}, view);
        for (const char* name : {"一", "二", "三"})
            list_.AddRow(std::nullopt, name);
        list_.Redraw();
        ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(form_.Handle(), OBJID_CLIENT,
                                                         __uuidof(IAccessible), &client_)));
    }
    void TearDown() override {
        client_.Reset();
        OleUninitialize();
    }

    ComPtr<IAccessible> ChildAt(long number) {
        ComPtr<IDispatch> child;
        client_->get_accChild(Child(number), &child);
        ComPtr<IAccessible> object;
        if (child) child.As(&object);
        return object;
    }

    test::CursorAway away_;
    test::TestForm form_;
    Label label_;
    std::unique_ptr<TextButton> button_ = std::make_unique<TextButton>();
    ListControl list_;
    int clicks_ = 0;
    ComPtr<IAccessible> client_;
};

TEST_F(AccessibleTest, ObjectsSayWhereTheyAreOnTheScreenAndWhatLiesUnderAPoint) {
    long count = 0;
    ASSERT_EQ(client_->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 3);
    const ComPtr<IAccessible> button = ChildAt(2);
    ASSERT_TRUE(button);
    EXPECT_EQ(Name(button.Get()), "按钮");

    POINT origin{0, 0};
    ClientToScreen(form_.Handle(), &origin);
    long x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(button->accLocation(&x, &y, &width, &height, Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(std::vector<long>({x, y, width, height}),
              std::vector<long>({origin.x + 100, origin.y + 10, 60, 20}));

    VARIANT found{};
    ASSERT_EQ(client_->accHitTest(origin.x + 130, origin.y + 20, &found), S_OK);
    EXPECT_EQ(Name(Object(found).Get()), "按钮");
    VariantClear(&found);

    const ComPtr<IAccessible> list = ChildAt(3);
    ASSERT_TRUE(list);
    RECT row2{};
    BoundsToRect(list_.VisibleItems()[1].rect, row2);
    ASSERT_EQ(list->accHitTest(origin.x + row2.left + 5, origin.y + row2.top + 5, &found), S_OK);
    EXPECT_EQ(found.vt, VT_I4);
    EXPECT_EQ(found.lVal, 2);
    EXPECT_EQ(Name(list.Get(), 2), "二");

    ASSERT_EQ(ChildAt(1)->accNavigate(NAVDIR_NEXT, Child(CHILDID_SELF), &found), S_OK);
    EXPECT_EQ(Name(Object(found).Get()), "按钮");
    VariantClear(&found);
    ASSERT_EQ(list->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &found), S_OK);
    EXPECT_EQ(found.lVal, 3);
    EXPECT_EQ(list->accNavigate(NAVDIR_NEXT, Child(3), &found), S_FALSE);
}

TEST_F(AccessibleTest, TheDefaultActionClicksAndASelectionTakesTheRowAndTheKeys) {
    const ComPtr<IAccessible> button = ChildAt(2);
    ASSERT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(clicks_, 0);  // after the reader's call returns
    EXPECT_TRUE(test::PumpUntil([&] { return clicks_ == 1; }));

    const ComPtr<IAccessible> list = ChildAt(3);
    ASSERT_EQ(list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(2)), S_OK);
    EXPECT_EQ(list_.SelectedRow(), 2);
    EXPECT_EQ(form_.Form().Router().KeyId(), list_.GetId());
    VARIANT selected{};
    ASSERT_EQ(list->get_accSelection(&selected), S_OK);
    EXPECT_EQ(selected.lVal, 2);
    VARIANT state{};
    ASSERT_EQ(list->get_accState(Child(2), &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_SELECTED);
}

TEST_F(AccessibleTest, AnObjectOutlivingItsWidgetOrItsWindowAnswersNotConnected) {
    const ComPtr<IAccessible> button = ChildAt(2);
    const ComPtr<IAccessible> list = ChildAt(3);
    button_.reset();
    BSTR name = nullptr;
    EXPECT_EQ(button->get_accName(Child(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), CO_E_OBJNOTCONNECTED);
    long count = 0;
    EXPECT_EQ(client_->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 2);

    form_.DestroyWindow();
    EXPECT_EQ(list->get_accName(Child(1), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(client_->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    VARIANT found{};
    EXPECT_EQ(client_->accHitTest(0, 0, &found), CO_E_OBJNOTCONNECTED);
}

}  // namespace
