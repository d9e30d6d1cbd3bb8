#include "widgets/memoPane.h"

#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace widgets {

TMemo::TMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    QFont font(u"Courier New"_s);
    font.setPixelSize(13);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Not a tab stop: Tab moves between the lists around it.
    setFocusPolicy(Qt::ClickFocus);
    setTabChangesFocus(true);
}

void TMemo::clear()
{
    QPlainTextEdit::clear();
}

void TMemo::addLine(const QString &line)
{
    appendPlainText(line);
}

QStringList TMemo::lines() const
{
    if (document()->isEmpty())
        return {};
    QStringList result;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        result.append(block.text());
    return result;
}

} // namespace widgets
