#pragma once

#include "dialogs/modalForm.h"

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace store {
class Tdm;
}

namespace widgets {
class TDateTimePicker;
class TMemo;
} // namespace widgets

// The calculation-on-date window: the summary of the current employee on a
// day the user picks. It changes no data.
class TfCalc : public TModalForm {
    Q_OBJECT

public:
    explicit TfCalc(store::Tdm &dm, QWidget *parent = nullptr);

    // Replaces the pane with the summary on the picker's day.
    void prCalc();

    QPushButton *btnClose;
    QWidget *pnlFooter;
    QWidget *pnlHead;
    widgets::TMemo *meExp;
    widgets::TDateTimePicker *dtpDATE;
    QLabel *Label1;
    QPushButton *btnCalc;
    // The window's own keyboard commands.
    QList<QAction *> alMain;
    QAction *acCalc;

protected:
    void FormShow() override;

private:
    void acCalcExecute();
    void dtpDATEChange();
    void dtpDATECloseUp();

    store::Tdm &fDm;
};

// Opens the window on today's summary and returns when it is closed.
void ShowCalc(store::Tdm &dm);
