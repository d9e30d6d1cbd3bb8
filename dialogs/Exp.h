#pragma once

#include "dialogs/modalForm.h"

#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Table;
}

namespace widgets {
class TDateTimePicker;
}

// The service period dialog: place, hiring and optional dismissal date, and
// the kinds of service the period counts in. It reads the period table to
// fill itself in; the caller writes through SaveToDS.
class TfExp : public TModalForm {
    Q_OBJECT

public:
    explicit TfExp(QWidget *parent = nullptr);

    // Reading trims blanks at both ends; writing puts the text as given.
    QString Place() const;
    void setPlace(const QString &value);
    // Dates are date-time values of which only the day is kept.
    double DateBeg() const;
    void setDateBeg(double value);
    // The day shown whether or not the check box is ticked; writing ticks it.
    double DateEnd() const;
    void setDateEnd(double value);
    bool isDateEnd() const;
    void setIsDateEnd(bool value);
    bool STS() const;
    void setSTS(bool value);
    bool NST() const;
    void setNST(bool value);
    bool TST() const;
    void setTST(bool value);

    void Clear();
    // The day after the latest dismissal among the rows of ds, or now when
    // there is none; the current row and the views are left as they were.
    double getMaxDate(store::Table *ds) const;
    // Writes the values into the current row of a table in insert or edit
    // state, never ID, EMP_ID or CHK; false, without raising, when there is
    // no table or a write fails.
    bool SaveToDS(store::Table *ds) const;

    QLabel *lblLName;
    QLineEdit *edtPlace;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    widgets::TDateTimePicker *dtpDATEBEG;
    QLabel *Label1;
    QLabel *Label2;
    widgets::TDateTimePicker *dtpDATEEND;
    QGroupBox *GroupBox1;
    QCheckBox *cbTST;
    QCheckBox *cbSTS;
    QCheckBox *cbNST;

protected:
    void FormShow() override;
    void FormCloseQuery(bool &canClose) override;
};

// Open the dialog modally and return it closed; the caller reads
// modalResult() and deletes it.
TfExp *AddExpDlg(store::Table *table);
TfExp *EditExpDlg(store::Table *table);
TfExp *CopyExpDlg(store::Table *table);
