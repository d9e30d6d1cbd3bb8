#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QSize>
#include <QString>

class QShowEvent;

// A modal window the way the program's dialogs behave: a modal result (none,
// OK, Cancel), a close query that may refuse an OK, controls anchored to the
// right and bottom edges of their parent, and an outer size that includes
// whatever frame the platform draws.
class TModalForm : public QDialog {
    Q_OBJECT

public:
    enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TModalForm(QWidget *parent = nullptr);

    // How the window was closed: mrOk, mrCancel, or mrNone while open or
    // after a refused close.
    int modalResult() const { return result(); }

    // Closing with any result goes through FormCloseQuery; a refusal keeps
    // the window open and resets the modal result to none.
    void done(int r) override;
    // Esc and the close box close with Cancel, never with QDialog's 0.
    void reject() override;

    // Centres the window over the main window and shows it modally.
    int ShowModal();

protected:
    // Decides whether a close with modalResult() may go ahead.
    virtual void FormCloseQuery(bool &canClose);
    // Runs each time the window is shown.
    virtual void FormShow();

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Keeps the widget's present distances to the right and bottom edges of
    // its parent whenever the parent is resized.
    void anchorRightBottom(QWidget *widget);
    // Gives the window, frame included, this size, and fixes it there.
    void setOuterSize(QSize outer);

private:
    struct Anchor {
        QWidget *widget;
        int right;
        int bottom;
    };
    void placeAnchored(QWidget *parent);

    QList<Anchor> fAnchors;
    bool fCentreOnShow = false;
};

// The dialogs' own font (Tahoma 8 pt) and that of their labels, edit
// fields and pickers (Tahoma, 13-pixel characters).
QFont FormFont();
QFont ControlFont();

// The text without the characters up to U+0020 at either end; blanks inside
// stay.
QString TrimBlanks(const QString &text);
