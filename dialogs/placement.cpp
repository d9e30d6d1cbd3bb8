#include "placement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWindow>

QWidget *FindMainWindow()
{
    if (auto *active = qobject_cast<QMainWindow *>(QApplication::activeWindow()))
        return active;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (qobject_cast<QMainWindow *>(widget) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

QMargins FrameMargins(QWidget *window)
{
    if (!window->testAttribute(Qt::WA_WState_Created))
        window->winId(); // creates the native window of a top-level widget
    QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void CentreOver(QWidget *window, QWidget *owner)
{
    QRect area;
    if (owner) {
        area = owner->frameGeometry();
    } else {
        QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    const QMargins margins = FrameMargins(window);
    QRect frame = QRect(QPoint(), window->size()).marginsAdded(margins);
    frame.moveCenter(area.center());
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
}
