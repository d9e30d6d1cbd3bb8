#include "Emp.h"

#include "dialogs/uMsgDlg.h"
#include "store/table.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize { 469, 153 };
constexpr QSize kOuterSize { 485, 191 };

QLabel *NameLabel(QWidget *parent, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setFont(ControlFont());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(8, top, 98, 24);
    return label;
}

QLineEdit *NameEdit(QWidget *parent, int top)
{
    auto *edit = new QLineEdit(parent);
    edit->setFont(ControlFont());
    edit->setGeometry(112, top, 350, 24);
    return edit;
}

QPushButton *Button(QWidget *parent, const QString &text, int left)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(left, 120, 75, 25);
    return button;
}

TfEmp *OpenEmpDlg(const QString &caption, store::Table *table)
{
    auto dlg = std::make_unique<TfEmp>();
    dlg->setWindowTitle(caption);
    dlg->Clear();
    if (table && !table->fieldByName(u"ID").isNull()) {
        dlg->setFName(table->fieldByName(u"FName").asString());
        dlg->setLName(table->fieldByName(u"LName").asString());
        dlg->setMName(table->fieldByName(u"MName").asString());
    }
    dlg->ShowModal();
    return dlg.release();
}

} // namespace

TfEmp::TfEmp(QWidget *parent)
    : TModalForm(parent)
{
    resize(kClientSize);
    btnOk = Button(this, u"Сохранить"_s, 305);
    btnCancel = Button(this, u"Отмена"_s, 386);
    lblLName = NameLabel(this, u"Фамилия:"_s, 10);
    edtLName = NameEdit(this, 10);
    lblFName = NameLabel(this, u"Имя:"_s, 35);
    edtFName = NameEdit(this, 35);
    lblMame = NameLabel(this, u"Отчество:"_s, 60);
    edtMName = NameEdit(this, 60);

    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    anchorRightBottom(btnOk);
    anchorRightBottom(btnCancel);

    setTabOrder(edtLName, edtFName);
    setTabOrder(edtFName, edtMName);
    setTabOrder(edtMName, btnOk);
    setTabOrder(btnOk, btnCancel);
}

QString TfEmp::FName() const
{
    return TrimBlanks(edtFName->text());
}

void TfEmp::setFName(const QString &value)
{
    edtFName->setText(value);
}

QString TfEmp::LName() const
{
    return TrimBlanks(edtLName->text());
}

void TfEmp::setLName(const QString &value)
{
    edtLName->setText(value);
}

QString TfEmp::MName() const
{
    return TrimBlanks(edtMName->text());
}

void TfEmp::setMName(const QString &value)
{
    edtMName->setText(value);
}

void TfEmp::Clear()
{
    setFName({});
    setLName({});
    setMName({});
}

bool TfEmp::SaveToDS(store::Table *ds) const
{
    if (!ds)
        return false;
    try {
        ds->fieldByName(u"FName").setAsString(FName());
        ds->fieldByName(u"LName").setAsString(LName());
        ds->fieldByName(u"MName").setAsString(MName());
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

void TfEmp::FormShow()
{
    setOuterSize(kOuterSize);
    edtLName->setFocus();
}

void TfEmp::FormCloseQuery(bool &canClose)
{
    canClose = modalResult() != mrOk || !LName().isEmpty();
    if (!canClose)
        MsgError(QString(), u"Укажите фамилию работника!"_s);
}

TfEmp *AddEmpDlg()
{
    return OpenEmpDlg(u"Добавление работника"_s, nullptr);
}

TfEmp *EditEmpDlg(store::Table *table)
{
    return OpenEmpDlg(u"Редактирование данных работника"_s, table);
}
