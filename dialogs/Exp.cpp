#include "Exp.h"

#include "dialogs/uMsgDlg.h"
#include "platform/clock.h"
#include "store/table.h"
#include "widgets/datePicker.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize { 468, 238 };
constexpr QSize kOuterSize { 485, 276 };

QLabel *FieldLabel(QWidget *parent, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setFont(ControlFont());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(8, top, 98, 24);
    return label;
}

widgets::TDateTimePicker *DatePicker(QWidget *parent, int top)
{
    auto *picker = new widgets::TDateTimePicker(parent);
    picker->setFont(ControlFont());
    picker->setGeometry(112, top, 125, 24);
    return picker;
}

QCheckBox *FlagBox(QWidget *parent, const QString &text, int top, int width)
{
    auto *box = new QCheckBox(text, parent);
    box->setGeometry(16, top, width, 17);
    return box;
}

QPushButton *Button(QWidget *parent, const QString &text, int left)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(left, 205, 75, 25);
    return button;
}

// Keeps the views of a table from following it while it is walked.
class ControlsDisabled {
public:
    explicit ControlsDisabled(store::Table &table)
        : fTable(table)
    {
        fTable.disableControls();
    }
    ~ControlsDisabled() { fTable.enableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    store::Table &fTable;
};

bool HasCurrentRow(store::Table *table)
{
    return table && !table->fieldByName(u"ID").isNull();
}

void ReadFlags(TfExp &dlg, store::Table &table)
{
    dlg.setSTS(table.fieldByName(u"STS").asBoolean());
    dlg.setNST(table.fieldByName(u"NST").asBoolean());
    dlg.setTST(table.fieldByName(u"TST").asBoolean());
}

// Creates the dialog with its defaults, lets fill complete it, and shows it.
template <typename Fill> TfExp *OpenExpDlg(const QString &caption, Fill fill)
{
    auto dlg = std::make_unique<TfExp>();
    dlg->setWindowTitle(caption);
    dlg->Clear();
    fill(*dlg);
    dlg->ShowModal();
    return dlg.release();
}

} // namespace

TfExp::TfExp(QWidget *parent)
    : TModalForm(parent)
{
    resize(kClientSize);
    lblLName = FieldLabel(this, u"Место работы:"_s, 10);
    edtPlace = new QLineEdit(this);
    edtPlace->setFont(ControlFont());
    edtPlace->setGeometry(112, 8, 350, 24);
    btnOk = Button(this, u"Сохранить"_s, 304);
    btnCancel = Button(this, u"Отмена"_s, 385);
    dtpDATEBEG = DatePicker(this, 34);
    Label1 = FieldLabel(this, u"Принят:"_s, 35);
    Label2 = FieldLabel(this, u"Уволен:"_s, 60);
    dtpDATEEND = DatePicker(this, 60);
    dtpDATEEND->setShowCheckbox(true);
    GroupBox1 = new QGroupBox(u"Учитывать как:"_s, this);
    GroupBox1->setFont(ControlFont());
    GroupBox1->setGeometry(8, 90, 454, 103);
    cbTST = FlagBox(GroupBox1, u"Трудовой, общий стаж"_s, 24, 249);
    cbSTS = FlagBox(GroupBox1, u"Страховой , дающий право на льготы стаж"_s, 47, 337);
    cbNST = FlagBox(GroupBox1, u"Непрерывный стаж"_s, 70, 265);

    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    anchorRightBottom(btnOk);
    anchorRightBottom(btnCancel);

    setTabOrder(edtPlace, dtpDATEBEG);
    setTabOrder(dtpDATEBEG, dtpDATEEND);
    setTabOrder(dtpDATEEND, cbTST);
    setTabOrder(cbTST, cbSTS);
    setTabOrder(cbSTS, cbNST);
    setTabOrder(cbNST, btnOk);
    setTabOrder(btnOk, btnCancel);
}

QString TfExp::Place() const
{
    return TrimBlanks(edtPlace->text());
}

void TfExp::setPlace(const QString &value)
{
    edtPlace->setText(value);
}

double TfExp::DateBeg() const
{
    return dtpDATEBEG->dateTime();
}

void TfExp::setDateBeg(double value)
{
    dtpDATEBEG->setDateTime(value);
}

double TfExp::DateEnd() const
{
    return dtpDATEEND->dateTime();
}

void TfExp::setDateEnd(double value)
{
    dtpDATEEND->setDateTime(value);
    dtpDATEEND->setChecked(true);
}

bool TfExp::isDateEnd() const
{
    return dtpDATEEND->checked();
}

void TfExp::setIsDateEnd(bool value)
{
    dtpDATEEND->setChecked(value);
}

bool TfExp::STS() const
{
    return cbSTS->isChecked();
}

void TfExp::setSTS(bool value)
{
    cbSTS->setChecked(value);
}

bool TfExp::NST() const
{
    return cbNST->isChecked();
}

void TfExp::setNST(bool value)
{
    cbNST->setChecked(value);
}

bool TfExp::TST() const
{
    return cbTST->isChecked();
}

void TfExp::setTST(bool value)
{
    cbTST->setChecked(value);
}

void TfExp::Clear()
{
    setPlace({});
    setDateBeg(platform::Now());
    setDateEnd(platform::Now());
    setIsDateEnd(false);
    setSTS(true);
    setNST(false);
    setTST(true);
}

double TfExp::getMaxDate(store::Table *ds) const
{
    if (!HasCurrentRow(ds))
        return platform::Now();
    const QVariant currentId = ds->fieldByName(u"ID").value();
    double latest = 0;
    {
        ControlsDisabled suspended(*ds);
        store::Field &id = ds->fieldByName(u"ID");
        store::Field &dateEnd = ds->fieldByName(u"DATEEND");
        for (ds->first(); !ds->eof(); ds->next()) {
            if (!id.isNull() && !dateEnd.isNull() && dateEnd.asDateTime() > latest)
                latest = dateEnd.asDateTime();
        }
        ds->locate(u"ID", currentId);
    }
    return latest == 0 ? platform::Now() : latest + 1;
}

bool TfExp::SaveToDS(store::Table *ds) const
{
    if (!ds)
        return false;
    try {
        ds->fieldByName(u"PLACE").setAsString(Place());
        ds->fieldByName(u"DATEBEG").setAsDateTime(DateBeg());
        store::Field &dateEnd = ds->fieldByName(u"DATEEND");
        if (isDateEnd())
            dateEnd.setAsDateTime(DateEnd());
        else
            dateEnd.clear();
        ds->fieldByName(u"STS").setAsBoolean(STS());
        ds->fieldByName(u"NST").setAsBoolean(NST());
        ds->fieldByName(u"TST").setAsBoolean(TST());
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

void TfExp::FormShow()
{
    setOuterSize(kOuterSize);
    edtPlace->setFocus();
}

void TfExp::FormCloseQuery(bool &canClose)
{
    canClose = true;
    if (modalResult() != mrOk)
        return;
    if (isDateEnd() && platform::WholeDay(DateEnd()) <= platform::WholeDay(DateBeg())) {
        MsgError(QString(),
            u"Не верный диапазон дат в периоде!\r\n"
            u"Дата уволнения не может быть раньше или равна,\r\n"
            u"дате принятия на работу!"_s);
        canClose = false;
    } else if (Place().isEmpty()) {
        MsgError(QString(), u"Укажите наименование место работы!"_s);
        canClose = false;
    }
}

TfExp *AddExpDlg(store::Table *table)
{
    return OpenExpDlg(u"Добавление записи о стаже работника"_s,
        [table](TfExp &dlg) { dlg.setDateBeg(dlg.getMaxDate(table)); });
}

TfExp *EditExpDlg(store::Table *table)
{
    return OpenExpDlg(u"Редактирование записи о стаже работника"_s, [table](TfExp &dlg) {
        if (!HasCurrentRow(table))
            return;
        dlg.setPlace(table->fieldByName(u"PLACE").asString());
        dlg.setDateBeg(table->fieldByName(u"DATEBEG").asDateTime());
        store::Field &dateEnd = table->fieldByName(u"DATEEND");
        if (dateEnd.isNull()) {
            dlg.setDateEnd(platform::Now());
            dlg.setIsDateEnd(false);
        } else {
            dlg.setDateEnd(dateEnd.asDateTime());
        }
        ReadFlags(dlg, *table);
    });
}

TfExp *CopyExpDlg(store::Table *table)
{
    return OpenExpDlg(u"Добавление записи о стаже работника копированием"_s, [table](TfExp &dlg) {
        if (!HasCurrentRow(table))
            return;
        dlg.setPlace(table->fieldByName(u"PLACE").asString());
        ReadFlags(dlg, *table);
        dlg.setDateBeg(dlg.getMaxDate(table));
    });
}
