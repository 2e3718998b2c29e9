// The sort dialog as a user works it: shown modally, a choice clicked, a button pressed.
#include "datalist/sort.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace zarvo::datalist {
namespace {

QRadioButton* Radio(QGroupBox* group, int i) {
    return group->findChildren<QRadioButton*>().at(i);
}

// Runs the dialog modally; user acts on it once it is up, as the user would.
int RunWith(TSortForm& dialog, const std::function<void(TSortForm&)>& user) {
    QTimer::singleShot(0, &dialog, [&dialog, user] {
        if (!QTest::qWaitForWindowActive(&dialog))
            ADD_FAILURE() << "the sort dialog did not become active";
        user(dialog);
    });
    return dialog.exec();
}

TEST(TSortForm, ShowsTheLastChoiceAndCancelLeavesIt) {
    int32_t key = 2, order = -1;
    TSortForm dialog(key, order);
    const int result = RunWith(dialog, [](TSortForm& d) {
        EXPECT_EQ(d.size(), QSize(178, 167));
        EXPECT_TRUE(Radio(d.RadioGroup1, 2)->isChecked());
        EXPECT_TRUE(Radio(d.RadioGroup2, 1)->isChecked());
        // the user changes the key, then thinks again
        QTest::mouseClick(Radio(d.RadioGroup1, 0), Qt::LeftButton);
        QTest::mouseClick(d.Button2, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(key, 2);
    EXPECT_EQ(order, -1);
}

TEST(TSortForm, SetsTheMainWindowsFieldsOnSort) {
    const struct {
        int32_t key, order; // before: none chosen yet shows the first choices
        int clickKey, clickOrder;
        bool byKeyboard; // Return presses the default button
        int32_t newKey, newOrder;
    } cases[] = {
        {-1, 0, -1, -1, false, 0, 1},
        {0, 1, 1, 1, false, 1, -1},
        {2, -1, -1, 0, true, 2, 1},
    };
    for (const auto& c : cases) {
        int32_t key = c.key, order = c.order;
        TSortForm dialog(key, order);
        const int result = RunWith(dialog, [&c](TSortForm& d) {
            if (c.clickKey >= 0)
                QTest::mouseClick(Radio(d.RadioGroup1, c.clickKey), Qt::LeftButton);
            if (c.clickOrder >= 0)
                QTest::mouseClick(Radio(d.RadioGroup2, c.clickOrder), Qt::LeftButton);
            if (c.byKeyboard)
                QTest::keyClick(d.windowHandle(), Qt::Key_Return);
            else
                QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        EXPECT_EQ(result, QDialog::Accepted) << c.key;
        EXPECT_EQ(key, c.newKey) << c.key;
        EXPECT_EQ(order, c.newOrder) << c.key;
    }
}

} // namespace
} // namespace zarvo::datalist
