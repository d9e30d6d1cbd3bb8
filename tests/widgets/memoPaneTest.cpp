#include "widgets/memoPane.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using widgets::TMemo;

namespace {

TEST(TMemoTest, ClearAndAddLineReplaceTheWholeText)
{
    TMemo memo;
    store::TextPane &pane = memo;
    EXPECT_TRUE(memo.lines().isEmpty());
    pane.addLine(u"Стаж работника"_s);
    pane.addLine({});
    pane.addLine(u"Трудовой: 1 г. 2 мес."_s);
    EXPECT_EQ(memo.lines(), (QStringList { u"Стаж работника"_s, QString(), u"Трудовой: 1 г. 2 мес."_s }));

    pane.clear();
    EXPECT_TRUE(memo.lines().isEmpty());
    pane.addLine(u"x"_s);
    EXPECT_EQ(memo.lines(), QStringList { u"x"_s });
}

TEST(TMemoTest, TakesTheFocusByClickOnlyButAcceptsTyping)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *first = new QPushButton(u"a"_s, &window);
    auto *memo = new TMemo(&window);
    auto *last = new QPushButton(u"b"_s, &window);
    layout->addWidget(first);
    layout->addWidget(memo);
    layout->addWidget(last);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), last);

    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), memo);
    QTest::keyClicks(memo, u"ok"_s);
    EXPECT_EQ(memo->toPlainText(), u"ok"_s);
}

} // namespace
