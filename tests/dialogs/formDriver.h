#pragma once

// Helpers that drive the program's modal windows from inside their modal
// loops, the way a user would: the factories only return once the window is
// closed, so the test's actions are posted before the factory is called.

#include "dialogs/uMsgDlg.h"
#include "platform/clock.h"
#include "store/uDM.h"
#include "support/openTables.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace formtest {

// Runs `act` on the modal window of type Form as soon as the next modal loop
// runs. A window the actions leave open is cancelled so the test cannot hang.
template <typename Form> void WhenShown(std::function<void(Form &)> act)
{
    QMetaObject::invokeMethod(
        qApp,
        [act = std::move(act)] {
            QPointer<Form> form = qobject_cast<Form *>(QApplication::activeModalWidget());
            if (!form) {
                ADD_FAILURE() << "no modal window of the expected kind is open";
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            act(*form);
            if (form && form->isVisible()) {
                ADD_FAILURE() << "the window was left open";
                form->done(2);
            }
        },
        Qt::QueuedConnection);
}

// Types text into a widget one character at a time, as key presses with the
// character as their text (works for letters outside Latin-1 too).
inline void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The controls Tab visits, once round the window, beginning with `first`.
inline QList<QWidget *> TabChain(QWidget *first)
{
    QWidget *window = first->window();
    QList<QWidget *> chain { first };
    for (QWidget *w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisibleTo(window) && w->isEnabled()
            && !w->focusProxy())
            chain.append(w);
    }
    return chain;
}

// Records every message box shown while it lives and closes each with its
// first button ("Закрыть" for errors).
class MessageLog {
public:
    MessageLog()
        : fHook([this](TfMsgDlg &box) {
            titles.append(box.title());
            messages.append(box.message());
            box.buttons().front()->click();
        })
    {
    }
    QStringList titles;
    QStringList messages;

private:
    MsgDlgTestHook fHook;
};

// Fixes today for the test's lifetime.
class FixedToday {
public:
    explicit FixedToday(QDate today)
    {
        const double day = platform::DayFromDate(today);
        // A time of day in the value: only the day may matter.
        platform::SetClockForTesting([day] { return day + 0.625; });
    }
    ~FixedToday() { platform::SetClockForTesting({}); }
    FixedToday(const FixedToday &) = delete;
    FixedToday &operator=(const FixedToday &) = delete;
};

// A data module with both tables open and linked as the store opens them.
class OpenStore {
public:
    OpenStore() { testsupport::OpenTables(dm); }
    // Posts a new employee, who becomes the current one.
    void addEmployee(const QString &lName, const QString &fName = {}, const QString &mName = {})
    {
        dm.Emp.insert();
        dm.Emp.fieldByName(u"LName").setAsString(lName);
        dm.Emp.fieldByName(u"FName").setAsString(fName);
        dm.Emp.fieldByName(u"MName").setAsString(mName);
        dm.Emp.post();
    }
    // Posts a period of the current employee; an invalid date stays empty.
    // Returns the period's ID.
    qint32 addPeriod(const QString &place, QDate begin, QDate end = {}, bool tst = true, bool sts = true,
        bool nst = true, bool chk = true)
    {
        dm.Exp.insert();
        dm.Exp.fieldByName(u"PLACE").setAsString(place);
        if (begin.isValid())
            dm.Exp.fieldByName(u"DATEBEG").setAsDateTime(platform::DayFromDate(begin));
        if (end.isValid())
            dm.Exp.fieldByName(u"DATEEND").setAsDateTime(platform::DayFromDate(end));
        dm.Exp.fieldByName(u"TST").setAsBoolean(tst);
        dm.Exp.fieldByName(u"STS").setAsBoolean(sts);
        dm.Exp.fieldByName(u"NST").setAsBoolean(nst);
        dm.Exp.fieldByName(u"CHK").setAsBoolean(chk);
        dm.Exp.post();
        return dm.Exp.fieldByName(u"ID").asInteger();
    }

    store::Tdm dm;
};

} // namespace formtest

// Readable sizes in failure messages.
inline void PrintTo(const QSize &size, std::ostream *os)
{
    *os << size.width() << "x" << size.height();
}
