#pragma once

#include "dialogs/modalForm.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Table;
}

// The employee dialog: last, first and middle name of a new or the current
// employee. It only reads the table; the caller writes through SaveToDS.
class TfEmp : public TModalForm {
    Q_OBJECT

public:
    explicit TfEmp(QWidget *parent = nullptr);

    // Reading trims blanks at both ends; writing puts the text as given.
    QString FName() const;
    void setFName(const QString &value);
    QString LName() const;
    void setLName(const QString &value);
    QString MName() const;
    void setMName(const QString &value);

    void Clear();
    // Writes the names into the current row of a table in insert or edit
    // state; false, without raising, when there is no table or a write fails.
    bool SaveToDS(store::Table *ds) const;

    QPushButton *btnOk;
    QPushButton *btnCancel;
    QLabel *lblLName;
    QLineEdit *edtLName;
    QLabel *lblFName;
    QLineEdit *edtFName;
    QLabel *lblMame;
    QLineEdit *edtMName;

protected:
    void FormShow() override;
    void FormCloseQuery(bool &canClose) override;
};

// Open the dialog modally and return it closed; the caller reads
// modalResult() and deletes it.
TfEmp *AddEmpDlg();
TfEmp *EditEmpDlg(store::Table *table);
