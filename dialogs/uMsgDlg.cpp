#include "uMsgDlg.h"

#include "dialogs/placement.h"
#include "resources/resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Sizes of the laid-out window; the code below narrows and heightens it.
constexpr int kDesignClientWidth = 440;
constexpr int kDesignClientHeight = 114;
constexpr int kOuterWidth = 400;
constexpr int kBarHeight = 41;
constexpr QPoint kLabelPos { 64, 16 };
constexpr QPoint kPicturePos { 16, 16 };
// The platform's default push-button size.
constexpr QSize kButtonSize { 75, 25 };
constexpr char kButtonNumber[] = "tag";

TfMsgDlg::TestHook &Hook()
{
    static TfMsgDlg::TestHook hook;
    return hook;
}

// The label breaks lines only at '\n'; callers write "\r\n" or a bare "\r".
QString LabelText(QString message)
{
    message.replace(u"\r\n"_s, u"\n"_s);
    message.replace(u'\r', u'\n');
    return message;
}

} // namespace

TfMsgDlg::TfMsgDlg(const QString &title, const QString &message, qint16 icon, const QStringList &captions,
    qint16 defaultButton, QWidget *parent)
    : QDialog(parent, kFixedDialogFlags)
    , fMessage(message)
    , fCaptions(captions)
{
    for (int i = 0; i < resources::kMsgPictureCount; ++i)
        iml.append(resources::MsgPicture(i));
    lblMessage = new QLabel(this);
    pnlMain = new QWidget(this);
    resize(kDesignClientWidth, kDesignClientHeight);

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::HighlightedText));
    setPalette(windowPalette);
    setAutoFillBackground(true);
    QPalette barPalette = pnlMain->palette();
    barPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
    pnlMain->setPalette(barPalette);
    pnlMain->setAutoFillBackground(true);

    const QFont messageFont = QApplication::font("QMessageBox");
    setFont(messageFont);
    lblMessage->setFont(messageFont);

    setWindowTitle(title);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setWordWrap(false);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->setText(LabelText(message));
    lblMessage->move(kLabelPos);
    lblMessage->adjustSize();
    // Measured against the laid-out width, before the window is narrowed, so
    // long lines run on past the right edge and are cut there.
    lblMessage->resize(width() - 80, lblMessage->height());

    fImageIndex = icon;

    const QMargins frame = FrameMargins(this);
    const int clientWidth = kOuterWidth - frame.left() - frame.right();
    const int requiredHeight = lblMessage->y() + lblMessage->height() + kButtonSize.height() + 40;
    setFixedSize(clientWidth, std::max(height(), requiredHeight));
    DockButtonBar();

    PlaceButtons(captions, defaultButton);
    fResult = -1;
}

TfMsgDlg::~TfMsgDlg() = default;

void TfMsgDlg::PlaceButtons(const QStringList &captions, qint16 defaultButton)
{
    const QFontMetrics metrics(font());
    int x = width() - 7;
    const int y = 8;
    for (qsizetype p = captions.size(); p >= 1; --p) {
        const QString &caption = captions[p - 1];
        auto *button = new QPushButton(caption, pnlMain);
        // Enter and Space press the focused button only; no button is the default.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->resize(kButtonSize);
        const int textWidth = metrics.horizontalAdvance(caption) + 20;
        if (button->width() < textWidth)
            button->resize(textWidth, button->height());
        x -= button->width() + 3;
        button->move(x, y);
        button->setProperty(kButtonNumber, int(p));
        connect(button, &QPushButton::clicked, this, &TfMsgDlg::btnClick);
        fButtons.prepend(button);
        if (p == defaultButton)
            fBtnAct = button;
    }
    for (qsizetype i = 0; i + 1 < fButtons.size(); ++i)
        QWidget::setTabOrder(fButtons[i], fButtons[i + 1]);
}

TfMsgDlg::TestHook TfMsgDlg::setTestHook(TestHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void TfMsgDlg::btnClick()
{
    fResult = sender()->property(kButtonNumber).toInt();
    done(fResult);
}

void TfMsgDlg::FormKeyUp(int key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift); // Esc closes whatever modifiers are held.
    if (key == Qt::Key_Escape)
        done(-1);
}

void TfMsgDlg::FormPaint()
{
    if (fImageIndex < 0 || fImageIndex >= iml.size())
        return;
    QPainter painter(this);
    painter.drawPixmap(kPicturePos, iml[fImageIndex]);
}

void TfMsgDlg::FormShow()
{
    if (fBtnAct)
        fBtnAct->setFocus();
    else if (!fButtons.isEmpty())
        fButtons.first()->setFocus();
}

void TfMsgDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Buttons that are not default ignore Enter; press the focused one here.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()); button && fButtons.contains(button))
            button->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        // The box closes when Esc is released, not when it goes down.
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TfMsgDlg::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat()) {
        QDialog::keyReleaseEvent(event);
        return;
    }
    FormKeyUp(event->key(), event->modifiers());
}

void TfMsgDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    FormPaint();
}

void TfMsgDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    if (Hook() && !fHookCalled) {
        fHookCalled = true;
        QMetaObject::invokeMethod(this, &TfMsgDlg::RunTestHook, Qt::QueuedConnection);
    }
}

bool TfMsgDlg::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && fHookAwaitsActivation) {
        fHookAwaitsActivation = false;
        QMetaObject::invokeMethod(this, &TfMsgDlg::RunTestHook, Qt::QueuedConnection);
    }
    return QDialog::event(event);
}

void TfMsgDlg::RunTestHook()
{
    // Key presses only reach the box once it is the active window; the
    // platform may report that after the show.
    if (!isActiveWindow()) {
        fHookAwaitsActivation = true;
        return;
    }
    // A copy, so the hook may replace itself while it runs.
    const TestHook hook = Hook();
    if (hook)
        hook(*this);
}

void TfMsgDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    DockButtonBar();
}

void TfMsgDlg::DockButtonBar()
{
    pnlMain->setGeometry(0, height() - kBarHeight, width(), kBarHeight);
}

MsgDlgTestHook::MsgDlgTestHook(TfMsgDlg::TestHook hook)
    : fPrevious(TfMsgDlg::setTestHook(std::move(hook)))
{
}

MsgDlgTestHook::~MsgDlgTestHook()
{
    TfMsgDlg::setTestHook(std::move(fPrevious));
}

int MsgBox(const QString &title, const QString &message, qint16 icon, const QStringList &captions,
    qint16 defaultButton)
{
    if (captions.isEmpty())
        return MsgInfo(title, message, icon);
    QWidget *owner = FindMainWindow();
    // Guarded: the owner may take the box with it if it is destroyed meanwhile.
    QPointer<TfMsgDlg> dlg = new TfMsgDlg(title, message, icon, captions, defaultButton, owner);
    CentreOver(dlg, owner);
    dlg->exec();
    const int result = dlg ? dlg->Result() : -1;
    delete dlg;
    return result;
}

int MsgInfo(const QString &title, const QString &message, qint16 icon)
{
    MsgBox(title, message, icon, { u"Закрыть"_s }, 1);
    return 0;
}

void MsgError(const QString &title, const QString &message)
{
    const QString shownTitle = title.isEmpty() ? u"Внимание ошибка!"_s : title;
    const QString shownMessage = message.isEmpty()
        ? u"При выполнение последней операции произошла ошибка!\rОперация не была выполнена!"_s
        : message;
    MsgBox(shownTitle, shownMessage, 0, { u"Закрыть"_s }, 1);
}
