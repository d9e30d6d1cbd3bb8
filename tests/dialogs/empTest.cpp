#include "dialogs/Emp.h"
#include "formDriver.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using formtest::MessageLog;
using formtest::TypeText;
using formtest::WhenShown;

namespace {

const QString kBlankLastName = u"Укажите фамилию работника!"_s;

std::unique_ptr<TfEmp> Add(std::function<void(TfEmp &)> act)
{
    WhenShown<TfEmp>(std::move(act));
    return std::unique_ptr<TfEmp>(AddEmpDlg());
}

} // namespace

TEST(EmpDialog, OpensAtItsOuterSizeWithTheFocusOnTheLastName)
{
    QSize outer;
    QWidget *focused = nullptr;
    int cancelRightGap = -1;
    int cancelBottomGap = -1;
    auto dlg = Add([&](TfEmp &form) {
        outer = form.frameGeometry().size();
        focused = form.focusWidget();
        cancelRightGap = form.width() - form.btnCancel->geometry().right() - 1;
        cancelBottomGap = form.height() - form.btnCancel->geometry().bottom() - 1;
        QTest::keyClick(form.edtLName, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg->windowTitle(), u"Добавление работника"_s);
    EXPECT_EQ(outer, QSize(485, 191));
    EXPECT_EQ(focused, dlg->edtLName);
    // The buttons follow the right and bottom edges through the resize.
    EXPECT_EQ(cancelRightGap, 8);
    EXPECT_EQ(cancelBottomGap, 8);
    EXPECT_EQ(dlg->btnCancel->x() - dlg->btnOk->x(), 81);
}

TEST(EmpDialog, TabRunsThroughTheNamesThenTheButtons)
{
    TfEmp dlg;
    EXPECT_EQ(formtest::TabChain(dlg.edtLName),
        (QList<QWidget *> { dlg.edtLName, dlg.edtFName, dlg.edtMName, dlg.btnOk, dlg.btnCancel }));
}

TEST(EmpDialog, EnterSavesNamesWithoutSurroundingBlanks)
{
    formtest::OpenStore store;
    MessageLog log;
    auto dlg = Add([](TfEmp &form) {
        TypeText(form.edtLName, u"  Петров Водкин "_s);
        // Tabs cannot be typed into a field; a pasted name can carry them.
        form.edtFName->insert(u"\tКузьма \t"_s);
        TypeText(form.edtMName, u"Сергеевич  "_s);
        QTest::keyClick(form.edtMName, Qt::Key_Return);
    });
    EXPECT_TRUE(log.messages.isEmpty());
    ASSERT_EQ(dlg->modalResult(), TModalForm::mrOk);
    EXPECT_EQ(dlg->edtLName->text(), u"  Петров Водкин "_s); // the field keeps what was typed

    store::Table &emp = store.dm.Emp;
    emp.insert();
    ASSERT_TRUE(dlg->SaveToDS(&emp));
    emp.post();
    EXPECT_EQ(emp.fieldByName(u"LName").asString(), u"Петров Водкин"_s);
    EXPECT_EQ(emp.fieldByName(u"FName").asString(), u"Кузьма"_s);
    EXPECT_EQ(emp.fieldByName(u"MName").asString(), u"Сергеевич"_s);
}

TEST(EmpDialog, NamesLoseOnlyTheCharactersUpToSpaceAtTheirEnds)
{
    const struct {
        QString typed;
        QString read;
    } cases[] = {
        { u"  Анна Мария  "_s, u"Анна Мария"_s },
        { u"\x01\x1f\tИван\r\n"_s, u"Иван"_s },
        // A no-break space is no blank.
        { u"\u00a0Иван\u00a0"_s, u"\u00a0Иван\u00a0"_s },
        { u"\t \x7f"_s, u"\x7f"_s },
    };
    TfEmp dlg;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        dlg.setLName(c.typed);
        dlg.setFName(c.typed);
        dlg.setMName(c.typed);
        EXPECT_EQ(dlg.edtLName->text(), c.typed);
        EXPECT_EQ(dlg.LName(), c.read);
        EXPECT_EQ(dlg.FName(), c.read);
        EXPECT_EQ(dlg.MName(), c.read);
    }
}

TEST(EmpDialog, OpensCentredOverTheMainWindow)
{
    QMainWindow main;
    main.setGeometry(100, 80, 900, 700);
    main.show();
    QPoint centre;
    auto dlg = Add([&](TfEmp &form) {
        centre = form.frameGeometry().center();
        form.btnCancel->click();
    });
    EXPECT_EQ(centre, main.frameGeometry().center());
}

TEST(EmpDialog, BlankLastNameIsRefusedAndTheInputKept)
{
    for (const QString &lastName : { QString(), u"   "_s, u" \t\r\n "_s }) {
        SCOPED_TRACE(lastName.toStdString());
        MessageLog log;
        bool openAfterOk = false;
        int resultAfterOk = -1;
        QString keptLast, keptFirst;
        auto dlg = Add([&](TfEmp &form) {
            form.setLName(lastName);
            TypeText(form.edtFName, u"Иван"_s);
            QTest::keyClick(form.edtFName, Qt::Key_Return);
            openAfterOk = form.isVisible();
            resultAfterOk = form.modalResult();
            keptLast = form.edtLName->text();
            keptFirst = form.edtFName->text();
            QTest::keyClick(form.edtFName, Qt::Key_Escape);
        });
        EXPECT_EQ(log.messages, QStringList { kBlankLastName });
        EXPECT_EQ(log.titles, QStringList { u"Внимание ошибка!"_s });
        EXPECT_TRUE(openAfterOk);
        EXPECT_EQ(resultAfterOk, TModalForm::mrNone);
        EXPECT_EQ(keptLast, lastName);
        EXPECT_EQ(keptFirst, u"Иван"_s);
        EXPECT_EQ(dlg->modalResult(), TModalForm::mrCancel);
    }
}

TEST(EmpDialog, CorrectedInputAfterARefusalCloses)
{
    MessageLog log;
    auto dlg = Add([](TfEmp &form) {
        form.btnOk->click();
        TypeText(form.edtLName, u"Сидоров"_s);
        form.btnOk->click();
    });
    EXPECT_EQ(log.messages, QStringList { kBlankLastName });
    EXPECT_EQ(dlg->modalResult(), TModalForm::mrOk);
    EXPECT_EQ(dlg->LName(), u"Сидоров"_s);
}

TEST(EmpDialog, CancelWaysCloseWithoutAnyCheck)
{
    const struct {
        const char *name;
        std::function<void(TfEmp &)> cancel;
    } cases[] = {
        { "Esc", [](TfEmp &form) { QTest::keyClick(form.edtLName, Qt::Key_Escape); } },
        { "button", [](TfEmp &form) { QTest::mouseClick(form.btnCancel, Qt::LeftButton); } },
        { "close box", [](TfEmp &form) { form.close(); } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MessageLog log;
        auto dlg = Add(c.cancel);
        EXPECT_TRUE(log.messages.isEmpty());
        EXPECT_EQ(dlg->modalResult(), TModalForm::mrCancel);
        EXPECT_FALSE(dlg->isVisible());
    }
}

TEST(EmpDialog, EditFillsFromTheCurrentRowOnly)
{
    formtest::OpenStore withRow;
    withRow.addEmployee(u"Иванов"_s, u"Иван"_s, QString());
    formtest::OpenStore empty;
    const struct {
        const char *name;
        store::Table *table;
        QStringList names; // last, first, middle
    } cases[] = {
        { "current row", &withRow.dm.Emp, { u"Иванов"_s, u"Иван"_s, QString() } },
        { "no current row", &empty.dm.Emp, { QString(), QString(), QString() } },
        { "no table", nullptr, { QString(), QString(), QString() } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList shown;
        WhenShown<TfEmp>([&](TfEmp &form) {
            shown = { form.edtLName->text(), form.edtFName->text(), form.edtMName->text() };
            form.btnCancel->click();
        });
        std::unique_ptr<TfEmp> dlg(EditEmpDlg(c.table));
        EXPECT_EQ(dlg->windowTitle(), u"Редактирование данных работника"_s);
        EXPECT_EQ(shown, c.names);
    }
}

TEST(EmpDialog, SaveToDsFailsWithoutRaisingWhenItCannotWrite)
{
    formtest::OpenStore store;
    store.addEmployee(u"Иванов"_s);
    TfEmp dlg;
    dlg.setLName(u"Петров"_s);
    EXPECT_FALSE(dlg.SaveToDS(nullptr));
    // Browsing state: the table refuses the write.
    EXPECT_FALSE(dlg.SaveToDS(&store.dm.Emp));
    EXPECT_EQ(store.dm.Emp.fieldByName(u"LName").asString(), u"Иванов"_s);

    store.dm.Emp.edit();
    EXPECT_TRUE(dlg.SaveToDS(&store.dm.Emp));
    store.dm.Emp.post();
    EXPECT_EQ(store.dm.Emp.fieldByName(u"LName").asString(), u"Петров"_s);
    EXPECT_EQ(store.dm.Emp.fieldByName(u"FName").asString(), QString());
}
