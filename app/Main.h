#pragma once

#include <QMainWindow>
#include <QString>

class QMenu;
class QPainter;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace store {
class Field;
class Table;
class Tdm;
} // namespace store

namespace widgets {
class Command;
class CommandList;
class KeyPreview;
class TDBGrid;
class TMemo;
} // namespace widgets

// The program's only top-level window: the employee list, the periods of
// the current employee, the summary on today's date, and the commands.
class TfMain : public QMainWindow {
    Q_OBJECT
public:
    // Sets up the data directory beside executableDir and opens the store;
    // when that fails the user has been told and started() is false.
    explicit TfMain(store::Tdm &dm, const QString &executableDir, QWidget *parent = nullptr);
    ~TfMain() override;

    // False when start-up failed and the program must end at once.
    bool started() const { return fStarted; }

    // Rebuilds the summary pane for the current employee on today's date.
    void prOutItog();
    // Enables the record commands for the active control and the data.
    void prUpdateActions();

    // Record commands.
    void prAdd();
    void prCopy();
    void prEdit();
    void prDel();
    void prSel();
    void prSelAll(bool f);
    void acCalcExecute();

    // The control that holds, or last held, the focus in this window.
    QWidget *activeControl() const;
    // How often closing the window has closed the store (once per run).
    int closeDbCalls() const { return fCloseDbCalls; }

    QWidget *cbMain = nullptr;
    QToolBar *tbMain = nullptr;
    QTabWidget *pcMain = nullptr;
    QWidget *tsMain = nullptr;
    widgets::TDBGrid *grdEmp = nullptr;
    QSplitter *splWorker = nullptr;
    QWidget *pnlExp = nullptr;
    widgets::TDBGrid *grdExp = nullptr;
    QSplitter *Splitter1 = nullptr;
    widgets::TMemo *meExp = nullptr;
    QStatusBar *sbMain = nullptr;
    QMenu *pmMain = nullptr;

    widgets::CommandList *alMain = nullptr;
    widgets::Command *acAdd = nullptr;
    widgets::Command *acDel = nullptr;
    widgets::Command *acEdit = nullptr;
    widgets::Command *acFind = nullptr;
    widgets::Command *acAbout = nullptr;
    widgets::Command *acExit = nullptr;
    widgets::Command *acCalc = nullptr;
    widgets::Command *acCopy = nullptr;
    widgets::Command *acSel = nullptr;
    widgets::Command *acSelAll = nullptr;
    widgets::Command *acUnSelAll = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool FormCreate(const QString &executableDir);
    void FormClose();
    void PlaceWindow();
    void CreateCommands();
    void CreateLayout();
    void CreateToolStrip();
    void CreateMenu();
    void grdEnterExit();
    void grdEmpDblClick();
    void grdExpDblClick();
    void grdExpDrawColumnCell(QPainter *painter, const QRect &rect, int column, store::Field &field,
                              bool selected);
    bool EmpHasRow() const;
    bool ExpHasRow() const;
    // Runs a store change; a rejected change is undone and reported.
    template<typename Change>
    void Guarded(Change change);
    // Writes a closed dialog's values into a new or the current row on OK.
    template<typename Dialog>
    void Confirm(Dialog *dialog, store::Table &table, bool insert);

    store::Tdm &fDm;
    widgets::KeyPreview *fKeyPreview = nullptr;
    bool fStarted = false;
    bool fClosed = false;
    int fCloseDbCalls = 0;
    bool fActivated = false;
};
