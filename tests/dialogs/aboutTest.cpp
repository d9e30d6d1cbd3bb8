#include "dialogs/About.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString Line(std::u16string_view line)
{
    return QString::fromUtf16(line.data(), qsizetype(line.size()));
}

// Records the addresses the window asks to open instead of starting a browser.
class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = TfAbout::setUrlOpener([this](const QUrl &url) {
            opened.append(url);
            return true;
        });
    }
    void TearDown() override { TfAbout::setUrlOpener(std::move(previous)); }

    // Shows the window as ShowAbout does, without its modal loop.
    void Show(TfAbout &about)
    {
        about.Load();
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    }

    QList<QUrl> opened;
    TfAbout::UrlOpener previous;
};

} // namespace

TEST(AboutHelpLines, TextKeepsItsTabsDashesAndSpacing)
{
    ASSERT_EQ(HelpLines.size(), 44u);
    EXPECT_EQ(Line(HelpLines[0]), QString());
    EXPECT_EQ(Line(HelpLines[43]), u"Приятного использования!"_s);
    struct Case {
        int number; // 1-based, as the lines are read on screen
        QString text;
    };
    const Case cases[] = {
        { 2, u"1. О программке."_s },
        { 3, u"    1.1\tПрограммка бесплатная."_s },
        { 7, u"        "_s },
        { 8,
            u"    1.5\tРазработчик имеет право без предупреждения и согласования, на своё личное усмотрение "_s },
        { 15,
            u"        то в таком случае они учитываются как один \u00abобщий, непрерывный\u00bb период по "
            u"\u00abкрайним\u00bb  датам."_s },
        { 22,
            u"              При этом целая часть полученного частного будет количеством полных месяцев,"_s },
        { 30, u"    3.1 Добавить запись \u2013 Ins"_s },
        { 31, u"    3.2 Удалить запись - Ctrl+Del"_s },
        { 38, u"    3.9 Закрыть окно, отменить ввод \u2013 Esc"_s },
        { 42, u"    3.13 Отменить выбор всех записей стажа - Alt+A"_s },
    };
    for (const Case &c : cases)
        EXPECT_EQ(Line(HelpLines[size_t(c.number - 1)]), c.text) << "line " << c.number;
}

TEST_F(AboutTest, LoadFillsThePaneWithExactlyTheHelpLines)
{
    TfAbout about;
    about.helpPane()->setPlainText(u"старый текст\nещё"_s);
    about.Load();
    about.Load(); // the pane is emptied first, so loading twice shows the text once
    const QStringList lines = about.helpPane()->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 44);
    EXPECT_EQ(about.helpPane()->document()->blockCount(), 44);
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], Line(HelpLines[size_t(i)])) << "line " << i + 1;
}

TEST_F(AboutTest, ShownAt950By700WithButtonsKeepingTheirRightEdges)
{
    TfAbout about;
    EXPECT_EQ(about.windowTitle(), u"О програмке, краткая помощь"_s);
    EXPECT_EQ(about.size(), QSize(535, 366));
    Show(about);
    EXPECT_EQ(about.frameGeometry().size(), QSize(950, 700));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());

    const QRect footer = about.footer()->geometry();
    EXPECT_EQ(footer, QRect(0, about.height() - 41, about.width(), 41));
    EXPECT_EQ(about.helpPane()->geometry(), QRect(0, 0, about.width(), footer.top()));
    const QRect close = about.closeButton()->geometry();
    const QRect donat = about.donateButton()->geometry();
    EXPECT_EQ(close, QRect(about.width() - 11 - 75, 9, 75, 25));
    EXPECT_EQ(donat.size(), QSize(187, 25));
    EXPECT_EQ(donat.top(), 9);
    EXPECT_EQ(close.left() - (donat.right() + 1), 6);

    const QFont link = about.donateButton()->font();
    EXPECT_TRUE(link.bold());
    EXPECT_TRUE(link.underline());
    EXPECT_EQ(
        about.donateButton()->palette().color(QPalette::ButtonText), about.palette().color(QPalette::Link));
    EXPECT_EQ(about.closeButton()->toolTip(), u"Закрыть"_s);
    EXPECT_EQ(about.donateButton()->toolTip(), u"Поддержать разработчика"_s);
}

TEST_F(AboutTest, EnterOnTheInitialFocusOpensTheSupportPageAndKeepsTheWindow)
{
    TfAbout about;
    Show(about);
    ASSERT_EQ(QApplication::focusWidget(), about.donateButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl(Line(kSupportPageUrl)));
    EXPECT_TRUE(opened[0].isValid());
    EXPECT_EQ(opened[0].scheme(), u"https"_s);
    EXPECT_TRUE(about.isVisible());

    QTest::mouseClick(about.donateButton(), Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2);
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutTest, TabOrderSkipsThePaneAndCloseComesFirst)
{
    TfAbout about;
    Show(about);
    EXPECT_EQ(about.helpPane()->focusPolicy() & Qt::TabFocus, 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about.closeButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about.donateButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    // Enter on the focused "Закрыть" closes rather than opening the page.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutTest, EscAndCloseButtonCloseWithCancel)
{
    for (bool byEsc : { true, false }) {
        SCOPED_TRACE(byEsc ? "Esc" : "Закрыть");
        TfAbout about;
        Show(about);
        if (byEsc)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QTest::mouseClick(about.closeButton(), Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), 2);
        EXPECT_TRUE(opened.isEmpty());
    }
}

TEST_F(AboutTest, ShowAboutRunsTheFilledWindowModallyUntilClosed)
{
    int lines = 0;
    bool modal = false;
    // Queued before the modal loop starts, so it runs inside it.
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            auto *about = qobject_cast<TfAbout *>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            modal = about->isModal();
            lines = about->helpPane()->document()->blockCount();
            QTest::keyClick(about, Qt::Key_Escape);
        },
        Qt::QueuedConnection);
    ShowAbout();
    EXPECT_TRUE(modal);
    EXPECT_EQ(lines, 44);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
