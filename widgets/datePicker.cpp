#include "widgets/datePicker.h"

#include "platform/clock.h"
#include "platform/locale.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace widgets {

namespace {

// Day 0 of the date-time values must be showable: an empty date reads as it.
const QDate kFirstDay(1899, 12, 30);
const QDate kLastDay(9999, 12, 31);

// Characters that end a section besides the format's own separators.
const QString kSeparators = QStringLiteral(".,/- ");

// One piece of the display format: a day, month or year field the user
// types into, or anything else (separators, week day names) shown as is.
struct Token {
    enum Kind { Day, Month, Year, Other } kind;
    QString format; // the format characters, or the literal text for Other
    bool literal = false;
};

QList<Token> SplitFormat(const QString &format)
{
    QList<Token> tokens;
    auto addLiteral = [&tokens](const QString &text) {
        if (!tokens.isEmpty() && tokens.back().literal)
            tokens.back().format += text;
        else
            tokens.append({ Token::Other, text, true });
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            const qsizetype end = format.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? format.size() : end;
            addLiteral(i + 1 == stop ? QStringLiteral("'") : format.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (c != u'd' && c != u'M' && c != u'y') {
            addLiteral(QString(c));
            ++i;
            continue;
        }
        qsizetype run = i;
        while (run < format.size() && format.at(run) == c)
            ++run;
        const qsizetype length = run - i;
        Token::Kind kind = Token::Other;
        if (c == u'y')
            kind = Token::Year;
        else if (c == u'M')
            kind = Token::Month;
        else if (length <= 2)
            kind = Token::Day; // ddd and dddd are week day names
        tokens.append({ kind, format.mid(i, length), false });
        i = run;
    }
    return tokens;
}

QDateTimeEdit::Section SectionOf(Token::Kind kind)
{
    switch (kind) {
    case Token::Day:
        return QDateTimeEdit::DaySection;
    case Token::Month:
        return QDateTimeEdit::MonthSection;
    case Token::Year:
        return QDateTimeEdit::YearSection;
    case Token::Other:
        break;
    }
    return QDateTimeEdit::NoSection;
}

// A year typed with one or two digits falls within the hundred years that
// begin 80 years before the current one: 90 is 1990 and 25 is 2025 in 2026.
// Hiring dates lie in the past and dismissals a few years ahead at most.
int FullYear(int lastDigits)
{
    const int first = platform::DateFromDay(platform::Today()).year() - 80;
    return first + ((lastDigits - first) % 100 + 100) % 100;
}

// The date editor with typing as clerks know it from the system's picker:
// the digits of a section are collected and shown as typed, two of them (four
// for the year) or a separator fill the section and move to the next one, so
// "01.03.1990", "01031990" and "1.3.1990" all give the same day. The value
// only ever holds real days; a section is written when it is complete or left.
class TypedDateEdit : public QDateEdit {
public:
    explicit TypedDateEdit(QWidget *parent)
        : QDateEdit(parent)
    {
        lineEdit()->installEventFilter(this);
    }

    void setFormat(const QString &format)
    {
        setDisplayFormat(format);
        fTokens = SplitFormat(format);
        fFields.clear();
        for (qsizetype i = 0; i < fTokens.size(); ++i) {
            if (SectionOf(fTokens.at(i).kind) != NoSection)
                fFields.append(int(i));
        }
        fSeparators = kSeparators;
        for (const Token &token : std::as_const(fTokens)) {
            if (token.literal)
                fSeparators += token.format;
        }
    }

    // The program sets a date: what the user was typing is void.
    void forgetTyping()
    {
        fPendingField = -1;
        fPending.clear();
        fTypedDay = 0;
        fJustMoved = false;
    }

protected:
    bool event(QEvent *event) override
    {
        // A shortcut of the window (Ctrl+R recalculates) reads the date:
        // let it see what was typed.
        if (event->type() == QEvent::ShortcutOverride) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                || (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35))
                commit();
        }
        return QDateEdit::event(event);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress)
            commit();
        return QDateEdit::eventFilter(watched, event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const bool justMoved = std::exchange(fJustMoved, false);
        const Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        if (event->modifiers() & commandKeys) {
            commit();
            QDateEdit::keyPressEvent(event);
            return;
        }
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End: {
            const int field = currentField();
            commit();
            const int last = int(fFields.size()) - 1;
            int to = field + (event->key() == Qt::Key_Left ? -1 : 1);
            if (event->key() == Qt::Key_Home)
                to = 0;
            else if (event->key() == Qt::Key_End)
                to = last;
            selectField(std::clamp(to, 0, last));
            return;
        }
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (fPendingField >= 0) {
                fPending.chop(1);
                if (fPending.isEmpty())
                    dropPending();
                else
                    showPending();
            }
            return;
        case Qt::Key_Escape:
            dropPending();
            QDateEdit::keyPressEvent(event);
            return;
        default:
            break;
        }
        const QString text = event->text();
        if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9') {
            typeDigit(text.at(0));
            return;
        }
        if (text.size() == 1 && fSeparators.contains(text.at(0))) {
            // "01." moved on after the second digit already.
            if (!justMoved) {
                const int field = currentField();
                commit();
                selectField(std::min(field + 1, int(fFields.size()) - 1));
            }
            return;
        }
        // Steps, Enter, the calendar key: on the value as typed.
        const int field = currentField();
        commit();
        selectField(field);
        QDateEdit::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QDateEdit::focusInEvent(event);
        fJustMoved = false;
        if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
            selectField(0);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        commit();
        QDateEdit::focusOutEvent(event);
    }

    // Tab leaves the picker as in the rest of the form, instead of walking
    // through the sections.
    bool focusNextPrevChild(bool next) override
    {
        commit();
        return QWidget::focusNextPrevChild(next);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        commit();
        QDateEdit::mousePressEvent(event);
    }

    void wheelEvent(QWheelEvent *event) override
    {
        commit();
        QDateEdit::wheelEvent(event);
    }

private:
    Token::Kind kindOf(int field) const { return fTokens.at(fFields.at(field)).kind; }

    int currentField() const
    {
        if (fPendingField >= 0)
            return fPendingField;
        const Section section = currentSection();
        for (int field = 0; field < fFields.size(); ++field) {
            if (SectionOf(kindOf(field)) == section)
                return field;
        }
        return 0;
    }

    void selectField(int field)
    {
        if (field >= 0 && field < fFields.size())
            setSelectedSection(SectionOf(kindOf(field)));
    }

    void typeDigit(QChar digit)
    {
        const int field = currentField();
        if (fPendingField != field) {
            commit();
            fPendingField = field;
            fPending.clear();
        }
        fPending += digit;
        const Token::Kind kind = kindOf(field);
        const int highest = kind == Token::Day ? 31 : 12;
        // A first digit no two-digit day or month begins with is a whole one.
        const bool complete = kind == Token::Year ? fPending.size() == 4
                                                  : fPending.size() == 2 || digit.digitValue() * 10 > highest;
        if (!complete) {
            showPending();
            return;
        }
        commit();
        selectField(std::min(field + 1, int(fFields.size()) - 1));
        fJustMoved = true;
    }

    // The day the user asked for, as long as the value still holds it: a 31
    // typed into February shows as 28 and comes back when March is typed.
    int wantedDay(QDate value) const
    {
        if (fTypedDay > 0 && value.day() == std::min(fTypedDay, value.daysInMonth()))
            return fTypedDay;
        return value.day();
    }

    // The value with one field replaced by a typed number; invalid when the
    // number names no day, month or year.
    QDate withField(QDate value, Token::Kind kind, int number, qsizetype digits)
    {
        int year = value.year();
        int month = value.month();
        int day = wantedDay(value);
        switch (kind) {
        case Token::Day:
            if (number < 1 || number > 31)
                return {};
            fTypedDay = day = number;
            break;
        case Token::Month:
            if (number < 1 || number > 12)
                return {};
            month = number;
            break;
        case Token::Year:
            year = digits <= 2 ? FullYear(number) : number;
            if (year < 1)
                return {};
            break;
        case Token::Other:
            return {};
        }
        return QDate(year, month, std::min(day, QDate(year, month, 1).daysInMonth()));
    }

    // Writes the digits collected for a section into the value.
    void commit()
    {
        if (fPendingField < 0)
            return;
        const int field = std::exchange(fPendingField, -1);
        const QString digits = std::exchange(fPending, QString());
        const QDate typed = withField(date(), kindOf(field), digits.toInt(), digits.size());
        // Out of range years end at the first or last day the picker holds.
        if (typed.isValid())
            setDate(std::clamp(typed, minimumDate(), maximumDate()));
        showValue();
        if (hasFocus())
            selectField(field);
    }

    void dropPending()
    {
        if (fPendingField < 0)
            return;
        const int field = fPendingField;
        fPendingField = -1;
        fPending.clear();
        showValue();
        selectField(field);
    }

    // The value as the format shows it, with the section being typed shown
    // as typed so far.
    void showPending()
    {
        QString text;
        qsizetype start = 0;
        const int pendingToken = fFields.at(fPendingField);
        for (qsizetype i = 0; i < fTokens.size(); ++i) {
            const Token &token = fTokens.at(i);
            if (token.literal) {
                text += token.format;
            } else if (i == pendingToken) {
                start = text.size();
                text += fPending;
            } else {
                text += locale().toString(date(), token.format);
            }
        }
        // The editor's own parsing must not see the half-typed text.
        const QSignalBlocker blocker(lineEdit());
        lineEdit()->setText(text);
        lineEdit()->setSelection(int(start), int(fPending.size()));
    }

    void showValue()
    {
        const QSignalBlocker blocker(lineEdit());
        lineEdit()->setText(textFromDateTime(dateTime()));
    }

    QList<Token> fTokens;
    QList<int> fFields; // indexes of the typed-in tokens, left to right
    QString fSeparators;
    int fPendingField = -1;
    QString fPending;
    int fTypedDay = 0;
    bool fJustMoved = false;
};

} // namespace

struct TDateTimePicker::Impl {
    QCheckBox *checkBox = nullptr;
    TypedDateEdit *dateEdit = nullptr;
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
    d->dateEdit = new TypedDateEdit(this);
    d->dateEdit->setDateRange(kFirstDay, kLastDay);
    d->dateEdit->setFormat(platform::ShortDateFormat());
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
    d->dateEdit->forgetTyping();
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
