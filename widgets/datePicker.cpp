#include "widgets/datePicker.h"

#include "platform/clock.h"
#include "platform/locale.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>

namespace widgets {

namespace {

// Day 0 of the date-time values must be showable: an empty date reads as it.
const QDate kFirstDay(1899, 12, 30);
const QDate kLastDay(9999, 12, 31);

} // namespace

struct TDateTimePicker::Impl {
    QCheckBox *checkBox = nullptr;
    QDateEdit *dateEdit = nullptr;
    bool showCheckbox = false;

    // A cleared check box greys the date out, like the system's picker,
    // and the focus then goes to the check box.
    void updateEnabled(QWidget *picker)
    {
        const bool dateOn = !showCheckbox || checkBox->isChecked();
        dateEdit->setEnabled(dateOn);
        picker->setFocusProxy(dateOn ? static_cast<QWidget *>(dateEdit) : checkBox);
    }
    // Set while the program itself changes the values, whose signals are
    // not the user's changes.
    int settingUp = 0;
};

TDateTimePicker::TDateTimePicker(QWidget *parent)
    : QWidget(parent)
    , d(new Impl)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    d->checkBox = new QCheckBox(this);
    d->checkBox->setChecked(true);
    d->checkBox->hide();
    d->dateEdit = new QDateEdit(this);
    d->dateEdit->setDateRange(kFirstDay, kLastDay);
    d->dateEdit->setDisplayFormat(platform::ShortDateFormat());
    d->dateEdit->setCalendarPopup(true);
    layout->addWidget(d->checkBox);
    layout->addWidget(d->dateEdit, 1);
    d->updateEnabled(this);

    connect(d->dateEdit, &QDateEdit::dateChanged, this, [this] {
        if (!d->settingUp)
            emit changed();
    });
    connect(d->checkBox, &QCheckBox::toggled, this, [this] {
        d->updateEnabled(this);
        if (!d->settingUp)
            emit changed();
    });
    // The month calendar is a popup window of the editor; its hiding is
    // the moment it closes, however it was closed.
    if (QCalendarWidget *calendar = d->dateEdit->calendarWidget()) {
        calendar->setFirstDayOfWeek(d->dateEdit->locale().firstDayOfWeek());
        calendar->window()->installEventFilter(this);
    }
}

TDateTimePicker::~TDateTimePicker()
{
    delete d;
}

bool TDateTimePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->isWindow())
        emit closeUp();
    return QWidget::eventFilter(watched, event);
}

void TDateTimePicker::setShowCheckbox(bool show)
{
    d->showCheckbox = show;
    d->checkBox->setVisible(show);
    d->updateEnabled(this);
}

bool TDateTimePicker::showCheckbox() const
{
    return d->showCheckbox;
}

bool TDateTimePicker::checked() const
{
    return !d->showCheckbox || d->checkBox->isChecked();
}

void TDateTimePicker::setChecked(bool checked)
{
    ++d->settingUp;
    d->checkBox->setChecked(checked);
    d->updateEnabled(this);
    --d->settingUp;
}

QDate TDateTimePicker::date() const
{
    return d->dateEdit->date();
}

void TDateTimePicker::setDate(QDate date)
{
    ++d->settingUp;
    d->dateEdit->setDate(date);
    --d->settingUp;
}

double TDateTimePicker::dateTime() const
{
    return platform::DayFromDate(date());
}

void TDateTimePicker::setDateTime(double dateTime)
{
    setDate(platform::DateFromDay(platform::WholeDay(dateTime)));
}

QDateEdit *TDateTimePicker::dateEdit() const
{
    return d->dateEdit;
}

QCheckBox *TDateTimePicker::checkBox() const
{
    return d->checkBox;
}

} // namespace widgets
