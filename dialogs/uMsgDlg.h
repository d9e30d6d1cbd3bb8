#pragma once

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

// The program's own message box: a picture at the top left, the message
// beside it and a row of buttons whose captions the caller chooses. Built
// anew for every call by MsgBox and destroyed before MsgBox returns.
class TfMsgDlg : public QDialog {
    Q_OBJECT

public:
    using TestHook = std::function<void(TfMsgDlg &)>;

    // Builds the whole window; it is shown by exec().
    TfMsgDlg(const QString &title, const QString &message, qint16 icon, const QStringList &captions,
        qint16 defaultButton, QWidget *parent = nullptr);
    ~TfMsgDlg() override;

    // Number of the pressed button, or -1 when the window closed otherwise.
    int Result() const { return fResult; }

    QString title() const { return windowTitle(); }
    QString message() const { return fMessage; }
    int imageIndex() const { return fImageIndex; }
    QStringList captions() const { return fCaptions; }
    // The buttons in caption order (number 1 first).
    QList<QPushButton *> buttons() const { return fButtons; }
    // The button that receives the focus on show, or null.
    QPushButton *activeButton() const { return fBtnAct; }
    QLabel *messageLabel() const { return lblMessage; }
    QWidget *buttonBar() const { return pnlMain; }

    // Lets GUI tests inspect and answer a box from inside its modal loop: the
    // hook runs once per box, queued from the show event. An empty function
    // removes it. Returns the hook it replaces.
    static TestHook setTestHook(TestHook hook);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void btnClick();
    void FormKeyUp(int key, Qt::KeyboardModifiers shift);
    void FormPaint();
    void FormShow();
    void DockButtonBar();
    void RunTestHook();
    void PlaceButtons(const QStringList &captions, qint16 defaultButton);

    QList<QPixmap> iml;
    QLabel *lblMessage = nullptr;
    QWidget *pnlMain = nullptr;
    QPushButton *fBtnAct = nullptr;
    qint16 fImageIndex = -1;
    qint32 fResult = -1;

    QString fMessage;
    QStringList fCaptions;
    QList<QPushButton *> fButtons;
    bool fHookCalled = false;
    bool fHookAwaitsActivation = false;
};

// Installs a message-box test hook for the lifetime of the object and puts
// the previous one back afterwards.
class MsgDlgTestHook {
public:
    explicit MsgDlgTestHook(TfMsgDlg::TestHook hook);
    ~MsgDlgTestHook();
    MsgDlgTestHook(const MsgDlgTestHook &) = delete;
    MsgDlgTestHook &operator=(const MsgDlgTestHook &) = delete;

private:
    TfMsgDlg::TestHook fPrevious;
};

// Shows a box and returns the number of the pressed button (from 1, in
// caption order), -1 when it was closed by Esc or the close box, and 0 for
// an empty caption list, which shows a notice with "Закрыть" instead.
int MsgBox(const QString &title, const QString &message, qint16 icon, const QStringList &captions,
    qint16 defaultButton);
// A notice with the single button "Закрыть"; always returns 0.
int MsgInfo(const QString &title, const QString &message, qint16 icon);
// An error report with picture 0 and "Закрыть"; empty texts get the usual ones.
void MsgError(const QString &title = {}, const QString &message = {});
