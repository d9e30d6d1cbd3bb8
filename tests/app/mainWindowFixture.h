#pragma once

// A main window on a fresh data directory, with the clock fixed, for the
// tests that drive the program the way a clerk does.

#include "app/Main.h"
#include "dialogs/formDriver.h"
#include "platform/clock.h"
#include "resources/fonts.h"
#include "store/uDM.h"
#include "support/testSupport.h"
#include "widgets/commandList.h"
#include "widgets/dbGrid.h"
#include "widgets/memoPane.h"

#include <QApplication>
#include <QDate>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace apptest {

// 01.03.2005, noon: the reference day of the worked summary example.
inline double FixedNow()
{
    return platform::DayFromDate(QDate(2005, 3, 1)) + 0.5;
}

inline double Day(int y, int m, int d)
{
    return platform::DayFromDate(QDate(y, m, d));
}

struct Period {
    QString place;
    QDate begin;
    QDate end; // invalid: still open
    bool tst = true;
    bool sts = true;
    bool nst = false;
    std::optional<bool> chk;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resources::RegisterFonts();
        platform::SetClockForTesting(FixedNow);
        // A fresh folder for every start, so that no run reads an earlier one's files.
        fDir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(fDir->isValid());
    }

    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
        dm.reset();
        platform::SetClockForTesting({});
    }

    // Starts the program on the data directory; `seed` may fill the store
    // before the window is shown, as an earlier run would have.
    void Start(const std::function<void(store::Tdm &)> &seed = {})
    {
        dm = std::make_unique<store::Tdm>();
        window = std::make_unique<TfMain>(*dm, fDir->path());
        ASSERT_TRUE(window->started());
        if (seed) {
            seed(*dm);
            dm->Emp.first();
            window->prOutItog();
            window->prUpdateActions();
        }
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        WaitForIdle();
    }

    static qint32 AddEmployee(store::Tdm &dm, const QString &last, const QString &first = {},
                              const QString &middle = {})
    {
        dm.Emp.insert();
        dm.Emp.fieldByName(u"LName").setAsString(last);
        dm.Emp.fieldByName(u"FName").setAsString(first);
        dm.Emp.fieldByName(u"MName").setAsString(middle);
        dm.Emp.post();
        return dm.Emp.fieldByName(u"ID").asInteger();
    }

    // Adds a period to the current employee.
    static void AddPeriod(store::Tdm &dm, const Period &p)
    {
        dm.Exp.insert();
        dm.Exp.fieldByName(u"PLACE").setAsString(p.place);
        dm.Exp.fieldByName(u"DATEBEG").setAsDateTime(platform::DayFromDate(p.begin));
        if (p.end.isValid())
            dm.Exp.fieldByName(u"DATEEND").setAsDateTime(platform::DayFromDate(p.end));
        dm.Exp.fieldByName(u"TST").setAsBoolean(p.tst);
        dm.Exp.fieldByName(u"STS").setAsBoolean(p.sts);
        dm.Exp.fieldByName(u"NST").setAsBoolean(p.nst);
        if (p.chk)
            dm.Exp.fieldByName(u"CHK").setAsBoolean(*p.chk);
        dm.Exp.post();
    }

    // Lets the event loop wait for input once, as a running program does
    // between key presses (the commands refresh their state then).
    static void WaitForIdle()
    {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void Focus(QWidget *widget)
    {
        Reactivate();
        widget->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }

    void Reactivate()
    {
        if (window && !QApplication::activeModalWidget() && !window->isActiveWindow()) {
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
    }

    // A key pressed where the focus is. Without a window manager nothing gives
    // the main window its activation back after a modal window, so the test does.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Reactivate();
        QWidget *target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
    }

    QStringList Summary() const { return window->meExp->lines(); }

    QString DataDir() const { return fDir->path() + QStringLiteral("/BASE/"); }

    std::unique_ptr<QTemporaryDir> fDir;
    std::unique_ptr<store::Tdm> dm;
    std::unique_ptr<TfMain> window;
};

} // namespace apptest
