#pragma once

#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

namespace widgets {

// A date picker holding calendar days, shown in the user's short date
// format, with a month calendar on demand and, optionally, a check box in
// front of the date (cleared: no date). Typed digits fill day, month and
// year in turn, with or without separators; a two-digit year means one of the
// 80 years before this one or the 19 after it.
class TDateTimePicker : public QWidget {
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget *parent = nullptr);
    ~TDateTimePicker() override;

    void setShowCheckbox(bool show);
    bool showCheckbox() const;
    // The check box state; always true without a check box.
    bool checked() const;
    void setChecked(bool checked);

    QDate date() const;
    void setDate(QDate date);
    // The day as a date-time value (days since 30.12.1899, no time of day).
    double dateTime() const;
    // Keeps the whole day of the value.
    void setDateTime(double dateTime);

    QDateEdit *dateEdit() const;
    QCheckBox *checkBox() const;

signals:
    // The user changed the date (typed, stepped, or picked in the calendar)
    // or the check box.
    void changed();
    // The month calendar closed.
    void closeUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Impl;
    Impl *d;
};

} // namespace widgets
