#include "modalForm.h"

#include "dialogs/placement.h"

#include <QEvent>
#include <QShowEvent>
#include <QWidget>
#include <QWindow>

using namespace Qt::StringLiterals;

TModalForm::TModalForm(QWidget *parent)
    : QDialog(parent, kFixedDialogFlags)
{
    setFont(FormFont());
}

void TModalForm::done(int r)
{
    setResult(r);
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        setResult(mrNone);
        return;
    }
    QDialog::done(r);
}

void TModalForm::reject()
{
    done(mrCancel);
}

int TModalForm::ShowModal()
{
    fCentreOnShow = true;
    return exec();
}

void TModalForm::FormCloseQuery(bool &canClose)
{
    canClose = true;
}

void TModalForm::FormShow() { }

void TModalForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The window system reports the show once more after mapping the window.
    if (event->spontaneous())
        return;
    FormShow();
    // Centred once its final size is known.
    if (fCentreOnShow)
        CentreOver(this, FindMainWindow());
}

bool TModalForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched->isWidgetType())
        placeAnchored(static_cast<QWidget *>(watched));
    return QDialog::eventFilter(watched, event);
}

void TModalForm::anchorRightBottom(QWidget *widget)
{
    QWidget *parent = widget->parentWidget();
    const QRect r = widget->geometry();
    fAnchors.append(
        { widget, parent->width() - (r.x() + r.width()), parent->height() - (r.y() + r.height()) });
    parent->installEventFilter(this);
}

void TModalForm::placeAnchored(QWidget *parent)
{
    for (const Anchor &anchor : std::as_const(fAnchors)) {
        if (anchor.widget->parentWidget() != parent)
            continue;
        const QSize size = anchor.widget->size();
        anchor.widget->move(
            parent->width() - anchor.right - size.width(), parent->height() - anchor.bottom - size.height());
    }
}

void TModalForm::setOuterSize(QSize outer)
{
    QSize frame = frameGeometry().size() - geometry().size();
    // Before the first show the frame may not be known yet to the widget;
    // the native window already has it.
    if (frame.isNull() && windowHandle()) {
        const QMargins m = windowHandle()->frameMargins();
        frame = QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    setFixedSize(outer - frame);
}

QFont FormFont()
{
    QFont font(u"Tahoma"_s);
    font.setPointSize(8);
    return font;
}

QFont ControlFont()
{
    QFont font(u"Tahoma"_s);
    font.setPixelSize(13);
    return font;
}

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}
